// Writes the window's tables as JSON, for the tests that drive an edition
// from outside (the real programs, the page in a browser), so that they aim
// at the controls and read them by the tables rather than by copies:
// controls (name, kind, caption, tooltip, shown at opening, designed place
// in pixels at 96 dpi, and what a screen reader is told of it), channels
// (the channel table by role), marks (the arrays ◎ ○ △), roles and tabStops.
// Usage: tintora_tables FILE
#include "look/look.h"
#include "look/spoken.h"
#include "model/channels.h"

#include <fstream>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

namespace {

using namespace tintora;
using Field = std::pair<std::string_view, std::string>;

std::string quoted(std::string_view text)
{
    std::string out = "\"";
    for (char const c : text)
        out += c == '"' || c == '\\' ? std::string("\\") + c : std::string(1, c);
    return out + "\"";
}

// A JSON object of fields whose values are JSON already, or a list of values.
std::string object(std::initializer_list<Field> fields, char open = '{', char close = '}')
{
    std::string out(1, open);
    for (auto const& [name, value] : fields)
        out += (out.size() > 1 ? ", " : "") + (name.empty() ? "" : quoted(name) + ": ") + value;
    return out + close;
}

template <typename Items, typename Write>
std::string list(Items const& items, Write const& write)
{
    std::string out = "[\n    ";
    for (auto const& item : items)
        out += (out.size() > 6 ? ",\n    " : "") + write(item);
    return out + "\n  ]";
}

std::string tables()
{
    constexpr std::string_view kinds[] = { "label", "button", "bar", "shape" };
    auto const px = [](int twips) { return std::to_string(look::pixels(twips)); };
    std::size_t index = 0;
    auto const control = [&](model::ControlRow const& row) {
        auto const spoken = look::spoken_of(index++);
        auto const& p = row.place;
        return object({ { "name", quoted(row.name) }, { "kind", quoted(kinds[static_cast<int>(row.kind)]) },
            { "caption", quoted(row.caption) }, { "tooltip", quoted(row.tooltip) },
            { "shown", row.visible ? "true" : "false" },
            { "place",
                object({ { "", px(p.left) }, { "", px(p.top) }, { "", px(p.width) }, { "", px(p.height) } },
                    '[', ']') },
            { "spoken",
                object({ { "name", quoted(spoken.name) }, { "description", quoted(spoken.description) },
                    { "role", quoted(spoken.role) } }) } });
    };
    auto const channel = [](model::Channel const& c) {
        return object({ { "name", quoted(c.name) }, { "index", std::to_string(c.index) },
            { "word", quoted(look::channel_words[static_cast<std::size_t>(c.index)]) },
            { "bar", quoted(c.bar.name()) }, { "value", quoted(c.value_label.name()) },
            { "button", quoted(c.channel_button.name()) }, { "confirm", quoted(c.confirm_button.name()) },
            { "confirmed", quoted(c.confirmed_label.name()) }, { "correct", quoted(c.correct_label.name()) },
            { "error", quoted(c.error_label.name()) } });
    };
    return "{\n  \"controls\": " + list(model::control_table, control)
        + ",\n  \"channels\": " + list(model::channels, channel) + ",\n  \"marks\": "
        + list(
            model::mark_arrays, [](model::ArrayName a) { return quoted(model::array_names.names[a.slot()]); })
        + ",\n  \"tabStops\": "
        + list(look::tab_stops, [](look::TabStop s) { return quoted(s.control.name()); }) + ",\n  \"roles\": "
        + object({ { "title", quoted(model::title_label.name()) },
            { "testPatch", quoted(model::test_patch.name()) },
            { "targetPatch", quoted(model::target_patch.name()) },
            { "start", quoted(model::start_button.name()) }, { "end", quoted(model::end_button.name()) },
            { "push", quoted(model::score_button.name()) },
            { "remeasure", quoted(model::remeasure_button.name()) },
            { "score", quoted(model::score_label.name()) },
            { "hint", quoted(model::fine_adjust_hint.name()) } })
        + "\n}\n";
}

}

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    std::ofstream(argv[1]) << tables();
    return 0;
}
