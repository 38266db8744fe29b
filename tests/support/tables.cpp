// Writes the window's tables as JSON, for the tests that drive an edition
// from outside (the real programs, the page in a browser), so that they aim
// at the controls and read them by the tables rather than by copies:
//   controls   every control: name, kind, caption, tooltip, whether it
//              shows at opening, and its designed place in pixels at 96 dpi
//   channels   the channel table, by role
//   marks      the arrays of the marks, ◎ ○ △
//   roles      the controls with a role of their own
//   tabStops   the focus order
//   spoken     what a screen reader is told of each control
// Usage: tintora_tables FILE
#include "look/look.h"
#include "look/spoken.h"
#include "model/channels.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

namespace {

using namespace tintora;

std::string quoted(std::string_view text)
{
    std::string out = "\"";
    for (char const c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

char const* kind_name(model::Kind kind)
{
    switch (kind) {
    case model::Kind::Label:
        return "label";
    case model::Kind::CommandButton:
        return "button";
    case model::Kind::HScrollBar:
        return "bar";
    case model::Kind::Shape:
        return "shape";
    }
    return "";
}

std::string tables()
{
    std::ostringstream out;
    out << "{\n  \"controls\": [\n";
    for (std::size_t i = 0; i < model::control_table.size(); ++i) {
        auto const& row = model::control_table[i];
        auto const& place = row.place;
        out << "    { \"name\": " << quoted(row.name) << ", \"kind\": \"" << kind_name(row.kind)
            << "\", \"caption\": " << quoted(row.caption) << ", \"tooltip\": " << quoted(row.tooltip)
            << ", \"shown\": " << (row.visible ? "true" : "false") << ", \"place\": ["
            << look::pixels(place.left) << ", " << look::pixels(place.top) << ", "
            << look::pixels(place.width) << ", " << look::pixels(place.height) << "] }"
            << (i + 1 < model::control_table.size() ? ",\n" : "\n");
    }
    out << "  ],\n  \"channels\": [\n";
    for (auto const& channel : model::channels) {
        out << "    { \"name\": " << quoted(channel.name) << ", \"index\": " << channel.index
            << ", \"word\": " << quoted(look::channel_words[static_cast<std::size_t>(channel.index)])
            << ", \"bar\": " << quoted(channel.bar.name())
            << ", \"value\": " << quoted(channel.value_label.name())
            << ", \"button\": " << quoted(channel.channel_button.name())
            << ", \"confirm\": " << quoted(channel.confirm_button.name())
            << ", \"confirmed\": " << quoted(channel.confirmed_label.name())
            << ", \"correct\": " << quoted(channel.correct_label.name())
            << ", \"error\": " << quoted(channel.error_label.name()) << " }"
            << (channel.index < 2 ? ",\n" : "\n");
    }
    out << "  ],\n  \"marks\": [";
    for (std::size_t i = 0; i < model::mark_arrays.size(); ++i)
        out << (i ? ", " : "") << quoted(model::array_names.names[model::mark_arrays[i].slot()]);
    out << "],\n  \"roles\": { \"title\": " << quoted(model::title_label.name())
        << ", \"testPatch\": " << quoted(model::test_patch.name())
        << ", \"targetPatch\": " << quoted(model::target_patch.name())
        << ", \"start\": " << quoted(model::start_button.name())
        << ", \"end\": " << quoted(model::end_button.name())
        << ", \"push\": " << quoted(model::score_button.name())
        << ", \"remeasure\": " << quoted(model::remeasure_button.name())
        << ", \"score\": " << quoted(model::score_label.name())
        << ", \"hint\": " << quoted(model::fine_adjust_hint.name()) << " },\n  \"tabStops\": [";
    for (std::size_t i = 0; i < look::tab_stops.size(); ++i)
        out << (i ? ", " : "") << quoted(look::tab_stops[i].control.name());
    out << "],\n  \"spoken\": {\n";
    for (std::size_t i = 0; i < model::control_table.size(); ++i) {
        auto const spoken = look::spoken_of(i);
        out << "    " << quoted(model::control_table[i].name) << ": { \"name\": " << quoted(spoken.name)
            << ", \"description\": " << quoted(spoken.description) << ", \"role\": " << quoted(spoken.role)
            << " }" << (i + 1 < model::control_table.size() ? ",\n" : "\n");
    }
    out << "  }\n}\n";
    return out.str();
}

}

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: tintora_tables FILE\n");
        return 2;
    }
    std::ofstream(argv[1]) << tables();
    return 0;
}
