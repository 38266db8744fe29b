#include "tests/support/measurement_check.h"

#include "model/channels.h"

#include <algorithm>
#include <charconv>
#include <set>

namespace tintora::check {

int expected_mark(int error) { return error <= 5 ? 0 : error <= 10 ? 1 : 2; }

std::string expected_score(int errors) { return std::to_string(100 - errors); }

double ModelView::top(model::ControlId control) const
{
    auto const& shown = m_form.control(control);
    if (auto const* label = dynamic_cast<model::Label const*>(&shown))
        return label->Top;
    return shown.place().top;
}

namespace {

    // A caption that holds a whole number, or -1.
    int whole(std::string const& caption)
    {
        int value = -1;
        auto const [end, error] = std::from_chars(caption.data(), caption.data() + caption.size(), value);
        return error == std::errc {} && end == caption.data() + caption.size() ? value : -1;
    }

    // The buttons that show together in some phase of a measurement.
    std::set<std::set<std::string>> const phases = {
        { "StartButton", "EndButton" },
        { "RedBottun", "Command1", "EndButton" },
        { "GreenBottun", "EndButton" },
        { "GreenBottun", "Command2", "EndButton" },
        { "BlueBottun", "EndButton" },
        { "BlueBottun", "Command3", "EndButton" },
        { "Command6", "EndButton" },
        { "Command6", "SaisokuteiButton", "EndButton" },
    };

}

std::vector<std::string> measurement_problems(MeasurementView const& view)
{
    std::vector<std::string> problems;
    auto const problem = [&problems](std::string text) { problems.push_back(std::move(text)); };
    auto const test_patch = view.colour(model::test_patch);
    auto const target_patch = view.colour(model::target_patch);
    // Before ＳＴＡＲＴ both patches are white and the bars wait at 150 unseen.
    bool const started = !view.shown(model::start_button);
    model::Channel const* running = nullptr;
    for (auto const& channel : model::channels) {
        auto const value = view.value(channel.bar);
        if (view.caption(channel.value_label) != std::to_string(value))
            problem(std::string(channel.name) + "'s value label does not read its bar's "
                + std::to_string(value));
        if (started && model::channel_of(test_patch, channel.index) != value)
            problem("patch Ａ's " + std::string(channel.name) + " is not its bar's " + std::to_string(value));
        if (view.shown(channel.bar)) {
            if (running != nullptr)
                problem("two bars shown");
            running = &channel;
        }
    }
    for (auto const& channel : model::channels) {
        if (running != nullptr && &channel != running
            && view.value(channel.bar) != model::channel_of(target_patch, channel.index))
            problem("hidden bar " + std::string(channel.name) + " left the target");
    }
    // The hint stands in one of the three rows, and while it shows, over the running bar.
    double const hint = view.top(model::fine_adjust_hint);
    double const above_bar = model::red_channel.bar.row().place.top - model::fine_adjust_hint.row().place.top;
    if (std::none_of(model::channels.begin(), model::channels.end(),
            [&](model::Channel const& channel) { return hint == channel.bar.row().place.top - above_bar; }))
        problem("the hint stands at " + std::to_string(hint) + ", over no bar");
    if (view.shown(model::fine_adjust_hint)
        && (running == nullptr || view.top(running->bar) - hint != above_bar))
        problem("the hint shows, but not over the running bar");
    int errors = 0;
    for (auto const& channel : model::channels) {
        std::vector<int> marks;
        for (std::size_t i = 0; i < model::mark_arrays.size(); ++i) {
            auto const name = std::string(model::array_names.names[model::mark_arrays[i].slot()]) + "("
                + std::to_string(channel.index) + ")";
            if (view.shown(model::ControlId::of(model::index_of(name))))
                marks.push_back(static_cast<int>(i));
        }
        if (!view.shown(channel.error_label)) {
            if (!marks.empty())
                problem(std::string(channel.name) + " shows a mark but no error");
            continue;
        }
        int const error = whole(view.caption(channel.error_label));
        if (error < 0)
            problem(std::string(channel.name)
                + "'s error is not a magnitude: " + view.caption(channel.error_label));
        errors += error;
        if (marks != std::vector<int> { expected_mark(error) })
            problem(std::string(channel.name) + " does not show the one mark its error "
                + std::to_string(error) + " earns");
    }
    if (view.shown(model::score_label) && view.caption(model::score_label) != expected_score(errors))
        problem("the score " + view.caption(model::score_label) + " is not 100 less the errors "
            + std::to_string(errors));
    std::set<std::string> buttons;
    for (auto const& row : model::control_table) {
        if (row.kind == model::Kind::CommandButton
            && view.shown(model::ControlId::of(model::index_of(row.name))))
            buttons.insert(std::string(row.name));
    }
    if (!phases.contains(buttons))
        problem("no phase of a measurement shows these buttons");
    return problems;
}

}
