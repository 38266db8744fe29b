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

namespace {

using namespace tintora;
struct Field {
    std::string_view name;
    std::string value;
};

std::string json_text(std::string_view text)
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
        out += (out.size() > 1 ? ", " : "") + (name.empty() ? "" : json_text(name) + ": ") + value;
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
        return object({ { "name", json_text(row.name) },
            { "kind", json_text(kinds[static_cast<int>(row.kind)]) }, { "caption", json_text(row.caption) },
            { "tooltip", json_text(row.tooltip) }, { "shown", row.visible ? "true" : "false" },
            { "place",
                object({ { "", px(p.left) }, { "", px(p.top) }, { "", px(p.width) }, { "", px(p.height) } },
                    '[', ']') },
            { "spoken",
                object({ Field { "name", json_text(spoken.name) },
                    Field { "description", json_text(spoken.description) },
                    Field { "role", json_text(spoken.role) } }) } });
    };
    auto const channel = [](model::Channel const& c) {
        return object({ { "name", json_text(c.name) }, { "index", std::to_string(c.index) },
            { "word", json_text(look::channel_words[static_cast<std::size_t>(c.index)]) },
            { "bar", json_text(c.bar.name()) }, { "value", json_text(c.value_label.name()) },
            { "button", json_text(c.channel_button.name()) },
            { "confirm", json_text(c.confirm_button.name()) },
            { "confirmed", json_text(c.confirmed_label.name()) },
            { "correct", json_text(c.correct_label.name()) }, { "error", json_text(c.error_label.name()) } });
    };
    return "{\n  \"controls\": " + list(model::control_table, control)
        + ",\n  \"channels\": " + list(model::channels, channel) + ",\n  \"marks\": "
        + list(model::mark_arrays,
            [](model::ArrayName a) { return json_text(model::array_names.names[a.slot()]); })
        + ",\n  \"tabStops\": "
        + list(look::tab_stops, [](look::TabStop s) { return json_text(s.control.name()); })
        + ",\n  \"roles\": "
        + object({ { "title", json_text(model::title_label.name()) },
            { "testPatch", json_text(model::test_patch.name()) },
            { "targetPatch", json_text(model::target_patch.name()) },
            { "start", json_text(model::start_button.name()) },
            { "end", json_text(model::end_button.name()) }, { "push", json_text(model::score_button.name()) },
            { "remeasure", json_text(model::remeasure_button.name()) },
            { "score", json_text(model::score_label.name()) },
            { "hint", json_text(model::fine_adjust_hint.name()) } })
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
