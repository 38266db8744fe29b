// Writes the web edition's page from the window's tables: the HTML with all
// 50 controls in their opening state and, inside it, the style sheet with
// every place, look and font; and the characters each typeface must show,
// from which the build makes the shipped font subsets. Nothing here is a
// second copy of a table: a caption, place or colour changed in a table
// changes the page at the next build.
//
// Usage: tintora_page SITE_DIRECTORY BUILD_DIRECTORY STYLE_SHEET
// The page's own style sheet (the looks every control of a kind shares)
// comes first in the page's style, the tables' rules for the controls shown
// at opening after it; the rules for the rest go into controls.css, which
// the binding loads once the first paint is on the screen. Into the
// build directory go the characters of each typeface (pgothic.txt,
// gothic.txt).

#include "look/bar.h"
#include "look/look.h"
#include "look/spoken.h"
#include "look/touch.h"
#include "model/channels.h"
#include "model/control_table.h"
#include "model/form1.h"
#include "web/css.h"

#include <emscripten/emscripten.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace tintora::web {

namespace {

    using look::Face;

    // The writer runs under Node at build time, whose crypto module gives
    // the SHA-256 a page's policy names an inline style by.
    EM_JS(void, sha256_base64, (char const* text, char* digest, int size), {
        stringToUTF8(require("node:crypto").createHash("sha256").update(UTF8ToString(text)).digest("base64"),
            digest, size);
    });

    std::string policy_hash(std::string const& text)
    {
        std::array<char, 64> digest {};
        sha256_base64(text.c_str(), digest.data(), static_cast<int>(digest.size()));
        return std::string("'sha256-") + digest.data() + "'";
    }

    std::string policy(std::string const& style)
    {
        return "default-src 'self'; script-src 'self' 'wasm-unsafe-eval'; style-src 'self' "
            + policy_hash(style) + "; object-src 'none'; base-uri 'none'; form-action 'none'";
    }

    std::string escaped(std::string_view text)
    {
        std::string out;
        for (char c : text) {
            switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
            }
        }
        return out;
    }

    // A length of the designed window in CSS pixels, scaled with it.
    std::string scaled(double pixels)
    {
        std::ostringstream out;
        out << "calc(" << pixels << " * var(--u))";
        return out.str();
    }

    // A designed place, in CSS pixels.
    model::Place in_pixels(model::Place const& place)
    {
        return { look::pixels(place.left), look::pixels(place.top), look::pixels(place.width),
            look::pixels(place.height) };
    }

    // A label's top: the handlers move a label by its Top, which the page's
    // script sets as --top, in designed pixels; the arrangement places it.
    std::string top_of(model::ControlRow const& row, int pixels)
    {
        if (row.kind != model::Kind::Label)
            return scaled(pixels);
        return "calc(var(--top, " + std::to_string(pixels) + ") * var(--u))";
    }

    // A control's own rule: by its id, so that the browser finds the rule
    // without trying it on every element (an array's index parentheses are
    // escaped), and only while the control shows, so that the many controls
    // hidden at opening cost no font lookups before the first paint.
    std::string selector(std::string_view name)
    {
        std::string out = "#";
        for (auto const c : name) {
            bool const plain = std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_' || c == '-';
            if (!plain)
                out += '\\';
            out += c;
        }
        return out + ":not([hidden])";
    }

    // A bar move as the engine takes it from the page.
    int move_number(look::BarMove move) { return static_cast<int>(move); }

    // The font families of a typeface: the designed names and the desktop's
    // stand-ins first, then the subset shipped with the page.
    std::string families(look::Typeface typeface)
    {
        std::string out;
        for (auto const family : look::families_of(typeface))
            out += "\"" + std::string(family) + "\", ";
        out += typeface == look::Typeface::Gothic ? "\"Tintora Gothic\"" : "\"Tintora PGothic\"";
        return out + ", sans-serif";
    }

    int font_size(look::Font const& font)
    {
        return static_cast<int>(std::lround(look::font_pixels(font.points)));
    }

    // Where a control stands in the stacking order, from the bottom.
    std::size_t stacking_of(std::size_t index)
    {
        auto const& order = look::stacking_order;
        return static_cast<std::size_t>(std::find(order.begin(), order.end(), index) - order.begin());
    }

    std::size_t tab_order_of(std::size_t index)
    {
        auto const& stops = look::tab_stops;
        return static_cast<std::size_t>(
            std::find_if(stops.begin(), stops.end(),
                [index](look::TabStop const& stop) { return stop.control.index() == index; })
            - stops.begin());
    }

    // The caption of the hint that points down at a bar: its words, and its
    // last line of arrows, which the page places over the bar's end arrows.
    constexpr std::string_view down_arrow = "↓";

    class Page {
    public:
        // The numbers every number label may show.
        Page() { remember_glyphs(look::Typeface::PGothic, "0123456789-"); }

        std::string html(std::string const& style);
        // The style of the controls shown at opening, which the first paint
        // waits for and which goes inside the page; or of the rest, a file
        // of its own that the binding loads after that paint.
        enum class Part { Opening, Later };
        std::string css(Part part);
        std::string manifest();
        std::map<look::Typeface, std::set<std::string>> const& glyphs() const { return m_glyph_sets; }

    private:
        void control_html(std::ostringstream& out, std::size_t index);
        void arrangement_css(std::ostringstream& out, look::Arrangement const& arrangement, Part part);
        void remember_glyphs(look::Typeface typeface, std::string_view text);

        std::map<look::Typeface, std::set<std::string>> m_glyph_sets;
    };

    // Each character of the text, as UTF-8, for the typeface's subset.
    void Page::remember_glyphs(look::Typeface typeface, std::string_view text)
    {
        auto& set = m_glyph_sets[typeface];
        for (std::size_t i = 0; i < text.size();) {
            auto const lead = static_cast<unsigned char>(text[i]);
            std::size_t const length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
            set.insert(std::string(text.substr(i, length)));
            i += length;
        }
    }

    model::Colour title_back() { return look::find_look(model::title_label.name())->back; }

    std::string_view program_name() { return model::title_label.row().caption; }

    // What a browser needs to install the page as an application: its
    // name, icons, a window of its own, and the window's colours.
    std::string Page::manifest()
    {
        std::ostringstream out;
        out << "{\n  \"name\": \"" << program_name() << "\",\n  \"short_name\": \"" << program_name()
            << "\",\n  \"description\": \"" << look::page_description << "\",\n  \"lang\": \"ja\",\n"
            << "  \"start_url\": \"./\",\n  \"scope\": \"./\",\n  \"display\": \"standalone\",\n"
            << "  \"background_color\": \"" << css_colour(look::window_colour) << "\",\n  \"theme_color\": \""
            << css_colour(title_back()) << "\",\n  \"icons\": [\n";
        // PNG only: Chromium takes an SVG icon first where one is offered,
        // and then cannot install with it.
        for (auto const size : look::page_icon_sizes) {
            out << "    { \"src\": \"icons/tintora-" << size << ".png\", \"sizes\": \"" << size << "x" << size
                << "\", \"type\": \"image/png\" },\n";
        }
        // A home screen's own shape cut from this one leaves the motif whole.
        out << "    { \"src\": \"icons/tintora-maskable-512.png\", \"sizes\": \"512x512\", \"type\": "
               "\"image/png\", \"purpose\": \"maskable\" }\n  ]\n}\n";
        return out.str();
    }

    void Page::control_html(std::ostringstream& out, std::size_t index)
    {
        auto const& row = model::control_table[index];
        auto const spoken = look::spoken_of(index);
        auto const* look = look::find_look(row.name);
        std::string const id = escaped(row.name);
        std::string common = " id=\"" + id + "\" data-index=\"" + std::to_string(index) + "\"";
        if (!row.visible)
            common += " hidden";
        // At opening the focus is on the first shown control in the focus order.
        if (index == look::focus_at_opening().index())
            common += " autofocus";
        if (!row.tooltip.empty())
            common += " title=\"" + escaped(row.tooltip) + "\"";
        // A description that is not a tooltip is read from a hidden element.
        std::string described;
        if (!spoken.description.empty() && spoken.description != row.tooltip && spoken.role.empty()) {
            common += " aria-describedby=\"" + id + "-words\"";
            described = "<span id=\"" + id + "-words\" hidden>" + escaped(spoken.description) + "</span>";
        }
        remember_glyphs(look->font.typeface, row.caption);
        switch (row.kind) {
        case model::Kind::CommandButton:
            out << "<button type=\"button\" class=\"c button\"" << common << ">" << escaped(row.caption)
                << "</button>";
            break;
        case model::Kind::HScrollBar: {
            out << "<div class=\"c bar\" role=\"slider\" tabindex=\"0\" aria-orientation=\"horizontal\" "
                   "aria-label=\""
                << escaped(spoken.name) << "\" aria-valuemin=\"" << model::HScrollBar::Min
                << "\" aria-valuemax=\"" << model::HScrollBar::Max << "\" aria-valuenow=\""
                << model::HScrollBar::opening_value << "\""
                << common
                // Each part of the bar names the engine's move it makes when pressed.
                << "><span class=\"arrow less\" data-move=\"" << move_number(look::BarMove::StepLess)
                << "\"></span><span class=\"track\" data-less=\"" << move_number(look::BarMove::PageLess)
                << "\" data-more=\"" << move_number(look::BarMove::PageMore)
                << "\"><span class=\"thumb\"></span></span><span class=\"arrow more\" data-move=\""
                << move_number(look::BarMove::StepMore) << "\"></span></div>";
            break;
        }
        case model::Kind::Shape:
            out << "<div class=\"c shape\" role=\"img\" aria-label=\"" << escaped(spoken.name) << "\""
                << common << ">" << described << "</div>";
            break;
        case model::Kind::Label: {
            char const* tag = index == model::title_label.index() ? "h1" : "div";
            std::string caption(row.caption);
            std::string arrows;
            if (index == model::fine_adjust_hint.index()) {
                auto const from = caption.find(down_arrow);
                arrows = caption.substr(from);
                caption.resize(from);
            }
            out << "<" << tag << " class=\"c label\"" << common
                << "><span class=\"text\" aria-hidden=\"true\">" << escaped(caption) << "</span>";
            if (!arrows.empty()) {
                remember_glyphs(look->font.typeface, down_arrow);
                out << "<span class=\"pointer first\" aria-hidden=\"true\">" << down_arrow << "</span>"
                    << "<span class=\"pointer last\" aria-hidden=\"true\">" << down_arrow << "</span>";
            }
            out << "<span class=\"sr\">" << escaped(look::spoken_caption(spoken.role, row.caption))
                << "</span>" << described << "</" << tag << ">";
            break;
        }
        }
        out << "\n";
    }

    // Where the hint's two arrows stand over the end arrows of the bar below
    // it, whose end arrows are as wide as the bar is high.
    look::HintMarks hint_marks(model::Place const& hint, model::Place const& bar)
    {
        return look::hint_marks(hint.left, bar.left, bar.width, bar.height);
    }

    std::string hint_rules(look::HintMarks marks, std::string const& indent)
    {
        auto const hint = indent + selector(model::fine_adjust_hint.name());
        return hint + " .pointer.first { left: " + scaled(marks.first) + "; }\n" + hint
            + " .pointer.last { left: " + scaled(marks.last) + "; }\n";
    }

    // An arrangement for fingers, where the primary pointer is coarse: its
    // own unit, as large as the screen allows but never below one CSS pixel,
    // so that no target shrinks under a finger's size (a screen too short
    // for the whole window scrolls, never sideways); then each control's
    // place and font, over the designed ones.
    void Page::arrangement_css(std::ostringstream& out, look::Arrangement const& arrangement, Part part)
    {
        bool const opening = part == Part::Opening;
        out << "@media (pointer: coarse) and (orientation: "
            << (arrangement.hold == look::Hold::Upright ? "portrait" : "landscape") << ") {\n";
        if (opening) {
            out << "  :root { --u: min(var(--safe-width) / " << arrangement.width
                << ", max(var(--safe-height) / " << arrangement.height << ", 1px)); }\n"
                << "  #Form1 { width: " << scaled(arrangement.width)
                << "; height: " << scaled(arrangement.height) << "; line-height: " << arrangement.line_height
                << "; }\n";
        }
        // One rule for each place, for the controls that share it.
        for (auto const& place : arrangement.places) {
            std::string_view names = place.controls;
            char const* separator = "  ";
            bool bars = false;
            while (!names.empty()) {
                auto const end = names.find(' ');
                auto const name = names.substr(0, end);
                names = end == std::string_view::npos ? std::string_view {} : names.substr(end + 1);
                auto const& row = model::row_of(name);
                if (row.visible != opening)
                    continue;
                out << separator << selector(name);
                separator = ", ";
                bars = row.kind == model::Kind::HScrollBar;
            }
            if (*separator == ' ')
                continue;
            out << " { left: " << scaled(place.left) << "; top: " << scaled(place.top)
                << "; width: " << scaled(place.width) << "; height: " << scaled(place.height);
            if (place.font > 0)
                out << "; font-size: " << scaled(place.font);
            if (bars)
                out << "; --arrow: " << scaled(place.height);
            out << "; }\n";
        }
        if (opening) {
            out << "}\n";
            return;
        }
        // The three bars share one place, so the hint's own place above
        // them holds whatever Top the handlers give it (its rule above sets
        // top, and --top goes unread); its arrows end at the bottom, over
        // the bar's end arrows.
        auto const find = [&arrangement](model::ControlId id) {
            auto const& place = *look::find_touch_place(arrangement, id.name());
            return model::Place { place.left, place.top, place.width, place.height };
        };
        out << "  " << selector(model::fine_adjust_hint.name()) << " .pointer { top: auto; bottom: 0; }\n"
            << hint_rules(hint_marks(find(model::fine_adjust_hint), find(model::red_channel.bar)), "  ")
            << "}\n";
    }

    std::string Page::html(std::string const& style)
    {
        std::ostringstream out;
        out << "<!doctype html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"utf-8\">\n"
            // The page's policy, met by the parser before anything it
            // governs: only the site's own files, no inline script, no eval
            // (WebAssembly is the one exception), and no inline style but
            // the page's own, named by its hash, beside the site's style sheet.
            << "<meta http-equiv=\"Content-Security-Policy\" content=\"" << policy(style)
            << "\">\n"
            // The first script is asked for first, and runs as soon as it
            // arrives, whether or not the window has been parsed or painted
            // yet; the buttons show once it listens.
            << "<script type=\"module\" src=\"tintora.js\" async></script>\n"
            // The window keeps clear of a notch and a home indicator by the
            // safe-area insets, which the page gets by covering the screen.
            << "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1, "
               "viewport-fit=cover\">\n"
            << "<meta name=\"description\" content=\"" << escaped(look::page_description) << "\">\n"
            << "<meta name=\"theme-color\" content=\"" << css_colour(title_back()) << "\">\n"
            << "<title>" << escaped(look::window_title) << "</title>\n"
            << "<link rel=\"manifest\" href=\"manifest.webmanifest\">\n"
            << "<link rel=\"icon\" href=\"icons/tintora.svg\" type=\"image/svg+xml\">\n"
            << "<link rel=\"apple-touch-icon\" href=\"icons/tintora-192.png\">\n"
            // The style comes in the page, so that the first paint waits for
            // no other file.
            << "<style>" << style << "</style>\n"
            << "</head>\n<body>\n"
               "<main>\n"
            << "<div id=\"Form1\">\n";
        // Text first, top to bottom; then the controls that take the focus,
        // in the focus order, which is the order Tab follows on a page.
        std::vector<std::size_t> text;
        std::vector<std::size_t> stops;
        for (std::size_t i = 0; i < model::control_table.size(); ++i)
            (tab_order_of(i) < look::tab_stops.size() ? stops : text).push_back(i);
        std::stable_sort(text.begin(), text.end(), [](std::size_t a, std::size_t b) {
            auto const& pa = model::control_table[a].place;
            auto const& pb = model::control_table[b].place;
            return std::tie(pa.top, pa.left) < std::tie(pb.top, pb.left);
        });
        std::sort(stops.begin(), stops.end(),
            [](std::size_t a, std::size_t b) { return tab_order_of(a) < tab_order_of(b); });
        for (auto const index : text)
            control_html(out, index);
        for (auto const index : stops)
            control_html(out, index);
        remember_glyphs(look::Typeface::PGothic, look::cannot_run_sentence);
        out << "<div id=\"Announcer\" class=\"sr\" aria-live=\"polite\"></div>\n</div>\n"
            << "<p id=\"cannot-run\" hidden>" << escaped(look::cannot_run_sentence) << "</p>\n"
            << "<noscript><p>" << escaped(look::cannot_run_sentence) << "</p></noscript>\n"
            << "</main>\n</body>\n</html>\n";
        return out.str();
    }

    std::string Page::css(Part part)
    {
        bool const opening = part == Part::Opening;
        auto const in_part
            = [opening](std::string_view name) { return model::row_of(name).visible == opening; };
        std::ostringstream out;
        int const width = look::pixels(look::client_width_twips);
        int const height = look::pixels(look::client_height_twips);
        if (opening) {
            out << "@font-face { font-family: \"Tintora PGothic\"; src: url(\"fonts/pgothic.woff2\") "
                   "format(\"woff2\"); "
                   "font-display: swap; }\n"
                << "@font-face { font-family: \"Tintora Gothic\"; src: url(\"fonts/gothic.woff2\") "
                   "format(\"woff2\"); "
                   "font-display: swap; }\n"
                // One designed pixel: a CSS pixel where the window fits, less where
                // the viewport is smaller, so that the whole window always shows.
                << ":root { color-scheme: light; --u: min(1px, var(--safe-width) / " << width
                << ", var(--safe-height) / " << height
                << ")"
                // The colours that every button and bar shares: its face, its
                // bevel, and the highlight that marks the keyboard's focus.
                << "; --face: " << css_colour(look::face_colour)
                << "; --outer-light: " << css_colour(look::raised.outer_light)
                << "; --outer-dark: " << css_colour(look::raised.outer_dark)
                << "; --inner-light: " << css_colour(look::raised.inner_light)
                << "; --inner-dark: " << css_colour(look::raised.inner_dark)
                << "; --pressed: " << css_colour(look::raised.pressed)
                << "; --focus: " << css_colour(look::focus_colour) << "; }\n"
                << "#Form1 { width: " << scaled(width) << "; height: " << scaled(height)
                << "; background: " << css_colour(look::window_colour)
                << "; color: " << css_colour(look::text_colour)
                << "; font-family: " << families(look::Typeface::PGothic) << "; }\n";
        }
        for (std::size_t i = 0; i < model::control_table.size(); ++i) {
            auto const& row = model::control_table[i];
            if (!in_part(row.name))
                continue;
            auto const& look = *look::find_look(row.name);
            auto const place = in_pixels(row.place);
            out << selector(row.name) << " { left: " << scaled(place.left)
                << "; top: " << top_of(row, place.top) << "; width: " << scaled(place.width)
                << "; height: " << scaled(place.height);
            // Shapes lie at the bottom; earlier controls stand over later ones.
            out << "; z-index: " << stacking_of(i);
            if (row.kind == model::Kind::Shape) {
                out << "; background: " << css_colour(model::white) << "; }\n";
                continue;
            }
            if (row.kind == model::Kind::HScrollBar) {
                out << "; --f: " << look::thumb_share(model::HScrollBar::opening_value)
                    << "; --arrow: " << scaled(place.height) << "; }\n";
                continue;
            }
            if (look.face != Face::Transparent)
                out << "; background: " << css_colour(look.back);
            // What the window gives every caption (its text colour, the
            // designed "ＭＳ Ｐゴシック", upright, not bold, from the left)
            // is inherited, not written fifty times: a shorter style is
            // parsed sooner before the first paint.
            if (css_colour(look.text) != css_colour(look::text_colour))
                out << "; color: " << css_colour(look.text);
            if (look.border)
                out << "; border: 1px solid #000000";
            if (look.align == look::Align::Centre)
                out << "; text-align: center";
            if (look.font.typeface != look::Typeface::PGothic)
                out << "; font-family: " << families(look.font.typeface);
            out << "; font-size: " << scaled(font_size(look.font));
            if (look.font.bold)
                out << "; font-weight: bold";
            if (look.font.italic)
                out << "; font-style: italic";
            out << "; }\n";
        }
        // The hint's two arrows stand over the centres of the bar's end
        // arrows: as designed here, and each arrangement for fingers over
        // its own bar after this.
        if (!opening) {
            out << hint_rules(hint_marks(in_pixels(model::fine_adjust_hint.row().place),
                                  in_pixels(model::red_channel.bar.row().place)),
                "");
        }
        for (auto const& arrangement : look::touch_arrangements)
            arrangement_css(out, arrangement, part);
        out << "@media (prefers-contrast: more) {\n";
        for (auto const& each : look::more_contrast) {
            if (in_part(each.control.name()))
                out << "  " << selector(each.control.name()) << " { color: " << css_colour(each.text)
                    << "; }\n";
        }
        out << "}\n";
        if (opening)
            return out.str();
        // The words end on the second line, above the arrows: a line breaks
        // wherever the next character would overflow, and the run of spaces
        // that ends the first line stays on it. WebKit otherwise carries the
        // run to the next line, and the words to a third, over the arrows.
        out << selector(model::fine_adjust_hint.name()) << " .text { line-break: anywhere; }\n";
        return out.str();
    }

}

}

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: tintora_page SITE_DIRECTORY BUILD_DIRECTORY STYLE_SHEET\n");
        return 2;
    }
    std::string const site = argv[1];
    std::string const built = argv[2];
    std::ifstream const own(argv[3]);
    if (!own) {
        std::fprintf(stderr, "tintora_page: cannot read %s\n", argv[3]);
        return 1;
    }
    tintora::web::Page page;
    std::ostringstream style;
    style << own.rdbuf() << page.css(tintora::web::Page::Part::Opening);
    std::ofstream(site + "/index.html") << page.html(style.str());
    std::ofstream(site + "/controls.css") << page.css(tintora::web::Page::Part::Later);
    std::ofstream(site + "/manifest.webmanifest") << page.manifest();
    for (auto const& [typeface, set] : page.glyphs()) {
        std::ofstream out(
            built + (typeface == tintora::look::Typeface::Gothic ? "/gothic.txt" : "/pgothic.txt"));
        for (auto const& glyph : set)
            out << glyph;
    }
    return 0;
}
