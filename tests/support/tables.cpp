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

#include <nlohmann/json.hpp>

#include <fstream>

namespace {

using namespace tintora;
using nlohmann::json;

json tables()
{
    json controls = json::array();
    for (std::size_t i = 0; i < model::control_table.size(); ++i) {
        auto const& row = model::control_table[i];
        auto const spoken = look::spoken_of(i);
        auto const& p = row.place;
        controls.push_back({ { "name", row.name },
            { "kind",
                std::array { "label", "button", "bar", "shape" }.at(static_cast<std::size_t>(row.kind)) },
            { "caption", row.caption }, { "tooltip", row.tooltip }, { "shown", row.visible },
            { "place",
                { look::pixels(p.left), look::pixels(p.top), look::pixels(p.width),
                    look::pixels(p.height) } },
            { "spoken",
                { { "name", spoken.name }, { "description", spoken.description },
                    { "role", spoken.role } } } });
    }
    json channels = json::array();
    for (auto const& c : model::channels) {
        channels.push_back({ { "name", c.name }, { "index", c.index },
            { "word", look::channel_words[static_cast<std::size_t>(c.index)] }, { "bar", c.bar.name() },
            { "value", c.value_label.name() }, { "button", c.channel_button.name() },
            { "confirm", c.confirm_button.name() }, { "confirmed", c.confirmed_label.name() },
            { "correct", c.correct_label.name() }, { "error", c.error_label.name() } });
    }
    json marks = json::array();
    for (auto const array : model::mark_arrays)
        marks.push_back(model::array_names.names[array.slot()]);
    json stops = json::array();
    for (auto const& stop : look::tab_stops)
        stops.push_back(stop.control.name());
    json roles = { { "title", model::title_label.name() }, { "testPatch", model::test_patch.name() },
        { "targetPatch", model::target_patch.name() }, { "start", model::start_button.name() },
        { "end", model::end_button.name() }, { "push", model::score_button.name() },
        { "remeasure", model::remeasure_button.name() }, { "score", model::score_label.name() },
        { "hint", model::fine_adjust_hint.name() } };
    return { { "controls", controls }, { "channels", channels }, { "marks", marks }, { "tabStops", stops },
        { "roles", roles } };
}

}

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    std::ofstream(argv[1]) << tables().dump(2) << '\n';
    return 0;
}
