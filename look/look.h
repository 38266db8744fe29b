#pragma once

#include "model/channels.h"
#include "model/colour.h"
#include "model/control_table.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tintora::look {

// How a control is drawn. Labels are transparent or opaque; buttons are
// graphical (the face painted in their back colour) or standard (the
// system's face); scroll bars and shapes have one look each.
enum class Face { Transparent, Opaque, Graphical, Standard };
enum class Align { Left, Centre };
enum class Typeface { PGothic, Gothic }; // "ＭＳ Ｐゴシック", "ＭＳ ゴシック"

inline constexpr model::Colour window_colour = model::system_colour(14); // highlight text
inline constexpr model::Colour face_colour = model::system_colour(15); // button face
inline constexpr model::Colour text_colour = model::system_colour(18); // button text

// #RRGGBB as the design writes colours.
constexpr model::Colour hex(std::uint32_t rrggbb)
{
    return model::rgb(static_cast<int>((rrggbb >> 16U) & 0xffU), static_cast<int>((rrggbb >> 8U) & 0xffU),
        static_cast<int>(rrggbb & 0xffU));
}

// The shades the system colours take: those of the standard colour scheme,
// on every desktop and under every theme, so that the window looks as
// designed everywhere. A dark theme's light "button text" on the white
// window would leave the numbers invisible.
struct SystemShade {
    model::Colour colour;
    model::Colour shade;
};

inline constexpr std::array<SystemShade, 3> system_shades { {
    { window_colour, hex(0xFFFFFF) },
    { face_colour, hex(0xF0F0F0) },
    { text_colour, hex(0x000000) },
} };

// A colour as drawn: itself, or the shade of a system colour.
constexpr model::Colour shade_of(model::Colour colour)
{
    for (auto const& each : system_shades) {
        if (each.colour == colour)
            return each.shade;
    }
    return colour;
}

// The font families a typeface is looked for in, in order: the designed
// names first, then the IPA fonts, which share their metrics and stand in
// for them where they are not installed.
inline constexpr std::array<std::string_view, 3> pgothic_families { "ＭＳ Ｐゴシック", "MS PGothic",
    "IPAPGothic" };
inline constexpr std::array<std::string_view, 3> gothic_families { "ＭＳ ゴシック", "MS Gothic",
    "IPAGothic" };

constexpr std::array<std::string_view, 3> const& families_of(Typeface typeface)
{
    return typeface == Typeface::Gothic ? gothic_families : pgothic_families;
}

struct Font {
    Typeface typeface = Typeface::PGothic;
    double points = 0;
    bool bold = false;
    bool italic = false;
};

// One row of the appearance table: the controls it covers, by name and
// separated by spaces, and their look. Shapes take their colour from the
// model; their row gives only the face.
struct Look {
    std::string_view controls;
    Face face;
    model::Colour back;
    model::Colour text;
    bool border;
    Align align;
    Font font;
};

inline constexpr bool single_line = true;
inline constexpr bool no_border = false;
inline constexpr Font standard_font {};

inline constexpr auto P = Typeface::PGothic;
inline constexpr auto G = Typeface::Gothic;

inline constexpr std::array<Look, 27> looks { {
    { "Command6", Face::Graphical, hex(0xFFC080), text_colour, no_border, Align::Centre, { P, 14.25, true } },
    { "SaisokuteiButton", Face::Graphical, hex(0x00FFFF), text_colour, no_border, Align::Centre,
        { G, 9.75, true } },
    { "Command3 Command2 Command1", Face::Graphical, hex(0xFF80FF), text_colour, no_border, Align::Centre,
        { G, 14.25, true } },
    { "StartButton", Face::Graphical, hex(0x80FFFF), text_colour, no_border, Align::Centre,
        { P, 9.75, true } },
    { "BlueBottun", Face::Graphical, hex(0x0000FF), text_colour, no_border, Align::Centre, { P, 36, true } },
    { "GreenBottun", Face::Graphical, hex(0x008000), text_colour, no_border, Align::Centre, { P, 36, true } },
    { "RedBottun", Face::Graphical, hex(0xFF0000), text_colour, no_border, Align::Centre, { P, 36, true } },
    { "EndButton", Face::Standard, face_colour, text_colour, no_border, Align::Centre, { P, 9.75, true } },
    { "blue green red", Face::Standard, face_colour, text_colour, no_border, Align::Left, standard_font },
    { "Shape1 Shape2", Face::Opaque, model::white, text_colour, no_border, Align::Left, standard_font },
    { "labelred labelblue labelgreen", Face::Transparent, face_colour, text_colour, no_border, Align::Centre,
        { P, 21.75 } },
    { "Label24", Face::Transparent, face_colour, hex(0x0000FF), no_border, Align::Centre, { P, 12, true } },
    { "Label23 Label22", Face::Transparent, face_colour, hex(0x0000FF), no_border, Align::Left,
        { P, 11.25 } },
    { "Label21", Face::Opaque, hex(0xFFFFFF), hex(0x0000FF), no_border, Align::Left, { P, 11.25 } },
    { "Label20", Face::Opaque, hex(0xFFFFFF), hex(0xFF0000), no_border, Align::Centre, { P, 48 } },
    { "Label19 Label18 Label17", Face::Opaque, face_colour, text_colour, no_border, Align::Centre,
        { P, 21.75 } },
    { "Label16", Face::Opaque, face_colour, text_colour, no_border, Align::Left, { P, 14.25 } },
    { "Label12(1)", Face::Transparent, face_colour, hex(0xFF0000), no_border, Align::Centre,
        { P, 15.75, true } },
    { "Label15(2) Label14(2) Label13(2) Label15(1) Label14(1) Label13(1) Label15(0) Label14(0) Label13(0)",
        Face::Transparent, face_colour, hex(0xFF0000), no_border, Align::Centre, { P, 26.25 } },
    { "Label12(0)", Face::Transparent, face_colour, hex(0x000000), single_line, Align::Centre,
        { P, 14.25, true } },
    { "Label10", Face::Opaque, hex(0xFFC0C0), text_colour, single_line, Align::Centre, { P, 15.75 } },
    { "Label9 Label8 Label7", Face::Transparent, face_colour, hex(0x000000), single_line, Align::Centre,
        { P, 21.75 } },
    { "Label2(2)", Face::Opaque, hex(0xFFFFFF), hex(0x0000FF), no_border, Align::Centre, { P, 12 } },
    { "Label2(1)", Face::Transparent, face_colour, hex(0x0000FF), no_border, Align::Centre, { P, 15.75 } },
    { "Label6 Label5 Label4", Face::Opaque, hex(0xFFC0C0), text_colour, single_line, Align::Centre,
        { P, 21.75 } },
    { "Label3", Face::Opaque, hex(0xFFC080), hex(0xFF0000), single_line, Align::Centre,
        { P, 21.75, true, true } },
    { "Label1(1) Label1(0)", Face::Transparent, face_colour, text_colour, no_border, Align::Centre,
        { P, 20.25 } },
} };

// Where the user asks for more contrast, the two captions that fall below
// it as designed take these text colours (over 3:1 on their faces, as large
// text needs); everything else keeps its designed colours.
struct MoreContrast {
    model::ControlId control;
    model::Colour text;
};

inline constexpr std::array<MoreContrast, 2> more_contrast { {
    { "Label3", hex(0xA00000) },
    { "BlueBottun", hex(0xFFFFFF) },
} };

constexpr bool covers(std::string_view controls, std::string_view name)
{
    while (!controls.empty()) {
        auto const end = controls.find(' ');
        if (controls.substr(0, end) == name)
            return true;
        if (end == std::string_view::npos)
            break;
        controls.remove_prefix(end + 1);
    }
    return false;
}

// The look of a control, or null for a name the table does not cover.
constexpr Look const* find_look(std::string_view name)
{
    for (auto const& look : looks) {
        if (covers(look.controls, name))
            return &look;
    }
    return nullptr;
}

// The keyboard focus order, listed in it. Labels and shapes never take the focus.
struct TabStop {
    model::ControlId control;
    int index;
};

inline constexpr std::array<TabStop, 13> tab_stops { {
    { "red", 0 },
    { "green", 1 },
    { "blue", 2 },
    { "EndButton", 3 },
    { "RedBottun", 7 },
    { "GreenBottun", 8 },
    { "BlueBottun", 9 },
    { "StartButton", 13 },
    { "Command1", 22 },
    { "Command2", 23 },
    { "Command3", 24 },
    { "SaisokuteiButton", 36 },
    { "Command6", 43 },
} };

// What a screen reader says of a control beyond its caption and tooltip.
// The channels' bars are named by the channel's word, and the labels that
// hold a channel's numbers are described by the word and their role (赤の値,
// 赤の正解 ...); those follow from the channel table. The rest are listed.
// Controls with a tooltip are described by it instead.
inline constexpr std::array<std::string_view, 3> channel_words { "赤", "緑", "青" };

// A label with a role is read as its role and its caption ("点数 88"); the
// channels' number labels and marks take theirs from the channel table.
struct SpokenWords {
    model::ControlId control;
    std::string_view name;
    std::string_view description;
    bool is_role = false;
};

inline constexpr std::string_view keys_for_the_bar
    = "キーボードでは、バーを左右の矢印キーで1ずつ、Page Up と Page Down で10ずつ動かし、Home と End "
      "で端まで動かします。";

inline constexpr std::array<SpokenWords, 6> spoken_words { {
    { "Shape2", "Ａ", "テストの色" },
    { "Shape1", "Ｂ", "目標の色" },
    { "Label20", "", "点数", true },
    { "Label2(1)", "", "キーボードでは、Tab でＳＴＡＲＴに移り、Space か Enter で押します。" },
    { "Label2(2)", "",
        "キーボードでは、バーを矢印キーと Page Up、Page Down で動かし、"
        "Tab を3回押してＥＮＤとその色のボタンを過ぎ、「確定」に移って Space か Enter で押します。" },
    { "Label21", "", keys_for_the_bar },
} };

// What the screen reader is told once a button's handler is done: which
// channel's stage has opened and how to match it, a channel's result, or
// the score. The buttons that open a stage are the channel buttons and these,
// which open the red one. The stage's sentence is heard with the focus on
// the stage's bar, and names the Tab presses from there to 確定 (%2) and the
// controls they pass (%3), as the focus order has them.
inline constexpr std::array<model::ButtonName, 2> red_stage_openers { model::start_button,
    model::remeasure_button };
inline constexpr std::string_view stage_sentence
    = "%1の段階です。矢印キーで1ずつ、Page Up と Page Down で10ずつバーを動かしてＡをＢに合わせ、Tab "
      "を%2回押して%3を過ぎ、確定に移って Space か Enter で押してください。";
inline constexpr std::string_view list_separator = "、";
inline constexpr std::string_view result_sentence = "%1 確定値 %2 正解 %3 誤差 %4 判定 %5";
inline constexpr std::string_view score_sentence = "点数 %1";
inline constexpr std::string_view minus_word = "マイナス";

// What a page says of itself to search engines, and what it says instead
// of the window where the engine cannot run (no WebAssembly, or it failed
// to load).
inline constexpr std::string_view page_description
    = "Tintora: 色合わせのテスト。ＡとＢの色を赤、緑、青の順に合わせ、100点満点で点数を出します。";
inline constexpr std::string_view cannot_run_sentence
    = "このブラウザーでは Tintora を動かせません（WebAssembly を読み込めませんでした）。";

// The window: its title, and its client area in twips, 1440 to the inch.
inline constexpr std::string_view window_title = "Form1";
inline constexpr int client_width_twips = 9435;
inline constexpr int client_height_twips = 8820;

// Twips to pixels at a screen's dots per inch: at 96, the designed one, 15
// twips to a pixel.
inline constexpr int designed_dpi = 96;
inline constexpr int twips_per_inch = 1440;
inline constexpr int twips_per_pixel = twips_per_inch / designed_dpi;
constexpr int pixels(double twips, int dpi = designed_dpi)
{
    double const exact = twips * dpi / twips_per_inch;
    return static_cast<int>(exact + (exact >= 0 ? 0.5 : -0.5));
}

// Points to pixels, so that text keeps its proportion to the twip layout on
// any screen.
constexpr double font_pixels(double points, int dpi = designed_dpi) { return points * dpi / 72.0; }

// The bevel of a raised button face and of a bar's arrows and thumb, from
// its outer edge inwards, and the frame of a pressed one: one look for every
// edition. The keyboard's focus is marked in the highlight colour.
struct Bevel {
    model::Colour outer_light; // top and left
    model::Colour outer_dark; // bottom and right
    model::Colour inner_light;
    model::Colour inner_dark;
    model::Colour pressed;
};
inline constexpr Bevel raised { hex(0xFFFFFF), hex(0x404040), hex(0xE3E3E3), hex(0xA0A0A0), hex(0x808080) };
inline constexpr model::Colour focus_colour = hex(0x308CC6);

// Where controls overlap (the score caption over the score label, the patch
// letters over the patches), which stands over which: the shapes lie at the
// bottom, and of the rest an earlier control in the table stands over a
// later one. The rows of the control table from the bottom up.
constexpr std::array<std::size_t, model::control_table.size()> bottom_up()
{
    std::array<std::size_t, model::control_table.size()> order {};
    std::size_t next = 0;
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (model::control_table[i].kind == model::Kind::Shape)
            order[next++] = i;
    }
    for (std::size_t i = order.size(); i-- > 0;) {
        if (model::control_table[i].kind != model::Kind::Shape)
            order[next++] = i;
    }
    return order;
}
inline constexpr auto stacking_order = bottom_up();

// The program's icon, in the sizes its files come in (packaging/icons);
// the window offers the sizes up to 128 to title bars, task bars and task
// switchers. A page offers browsers the two sizes they ask an installable
// page for.
inline constexpr std::array<int, 7> icon_sizes { 16, 24, 32, 48, 64, 128, 256 };
inline constexpr int largest_window_icon = 128;
inline constexpr std::array<int, 2> page_icon_sizes { 192, 512 };

// Every name in a list of the tables (the looks, the arrangements) is a
// control of the window: checked when the program is compiled.
constexpr bool names_controls(std::string_view names)
{
    while (!names.empty()) {
        auto const end = names.find(' ');
        (void)model::index_of(names.substr(0, end));
        if (end == std::string_view::npos)
            break;
        names.remove_prefix(end + 1);
    }
    return true;
}
static_assert([] {
    for (auto const& look : looks)
        names_controls(look.controls);
    return true;
}());

}
