#include "look/spoken.h"

#include "look/look.h"
#include "model/channels.h"

#include <algorithm>
#include <array>

namespace tintora::look {

namespace {

    std::string_view word_of(model::Channel const& channel)
    {
        return channel_words[static_cast<std::size_t>(channel.index)];
    }

    // The sentence with each "%n" replaced by the n-th word.
    std::string filled(std::string_view sentence, std::initializer_list<std::string_view> words)
    {
        std::string out;
        for (std::size_t i = 0; i < sentence.size(); ++i) {
            auto const n = i + 1 < sentence.size() ? sentence[i + 1] - '1' : -1;
            if (sentence[i] == '%' && n >= 0 && static_cast<std::size_t>(n) < words.size()) {
                out += *(words.begin() + n);
                ++i;
            } else {
                out += sentence[i];
            }
        }
        return out;
    }

    // Arrows (U+2190 to U+2193), ideographic spaces (U+3000) and spaces are
    // not read: the instructions point at controls with them.
    std::size_t unspoken_length(std::string_view text)
    {
        if (text.front() == ' ')
            return 1;
        if (text.size() >= 3 && text.substr(0, 2) == "\xE2\x86" && text[2] >= '\x90' && text[2] <= '\x93')
            return 3;
        if (text.substr(0, 3) == "\xE3\x80\x80")
            return 3;
        return 0;
    }

    // The stage a button's handler has just opened, or null: ＳＴＡＲＴ and
    // 再測定 open the red one, a channel button its own.
    model::Channel const* stage_opened_by(model::Form1& form, model::Control const& control)
    {
        if (std::find(red_stage_openers.begin(), red_stage_openers.end(), control.name())
            != red_stage_openers.end())
            return &model::red_channel;
        for (auto const& channel : model::channels) {
            if (&control == &form.button(channel.channel_button))
                return &channel;
        }
        return nullptr;
    }

    // How a stage is told: the channel, and the way by Tab from its bar to
    // its 確定 through the controls shown now, as the focus order has them.
    std::string stage_told(model::Form1& form, model::Channel const& channel)
    {
        auto const& bar = form.bar(channel.bar).name();
        auto const& confirm = form.button(channel.confirm_button).name();
        auto stop = std::find_if(
            tab_stops.begin(), tab_stops.end(), [&bar](TabStop const& each) { return each.control == bar; });
        std::string passed;
        int presses = 1;
        for (++stop; stop != tab_stops.end() && stop->control != confirm; ++stop) {
            if (!form.control(stop->control).Visible)
                continue;
            if (!passed.empty())
                passed += list_separator;
            passed += model::row_of(stop->control).caption;
            ++presses;
        }
        return filled(stage_sentence, { word_of(channel), std::to_string(presses), passed });
    }

}

Spoken spoken_of(model::Form1& form, model::Control const& control)
{
    struct Role {
        model::LabelName model::Channel::*label;
        std::string_view suffix;
    };
    static constexpr std::array<Role, 4> number_roles { {
        { &model::Channel::value_label, "の値" },
        { &model::Channel::confirmed_label, "の確定値" },
        { &model::Channel::correct_label, "の正解" },
        { &model::Channel::error_label, "の誤差" },
    } };
    Spoken spoken;
    spoken.description = model::row_of(control.name()).tooltip;
    auto const give_role = [&spoken](std::string role) {
        spoken.description = role;
        spoken.role = std::move(role);
    };
    for (auto const& channel : model::channels) {
        auto const word = std::string(word_of(channel));
        if (&control == &form.bar(channel.bar))
            spoken.name = word;
        for (auto const& role : number_roles) {
            if (&control == &form.label(channel.*role.label))
                give_role(word + std::string(role.suffix));
        }
        for (auto const array : model::mark_arrays) {
            if (&control == &form.array(array).Item(channel.index))
                give_role(word + "の判定");
        }
    }
    for (auto const& words : spoken_words) {
        if (words.control != control.name())
            continue;
        if (!words.name.empty())
            spoken.name = words.name;
        if (words.is_role)
            give_role(std::string(words.description));
        else if (!words.description.empty())
            spoken.description = words.description;
    }
    return spoken;
}

std::string spoken_caption(std::string_view role, std::string_view caption)
{
    if (!role.empty())
        return caption.empty() ? std::string() : std::string(role) + ' ' + std::string(caption);
    std::string spoken;
    while (!caption.empty()) {
        if (auto const skip = unspoken_length(caption); skip > 0) {
            caption.remove_prefix(skip);
            continue;
        }
        spoken += caption.front();
        caption.remove_prefix(1);
    }
    return spoken;
}

std::string announcement_after(model::Form1& form, model::Control const& control)
{
    if (control.kind() != model::Kind::CommandButton)
        return {};
    auto const caption
        = [&form](model::LabelName name) -> std::string_view { return form.label(name).Caption.get(); };
    if (auto const* stage = stage_opened_by(form, control))
        return stage_told(form, *stage);
    for (auto const& channel : model::channels) {
        if (&control == &form.button(channel.confirm_button)) {
            std::string_view mark;
            for (auto const array : model::mark_arrays) {
                auto const& label = form.array(array).Item(channel.index);
                if (label.Visible)
                    mark = label.Caption.get();
            }
            return filled(result_sentence,
                { word_of(channel), caption(channel.confirmed_label), caption(channel.correct_label),
                    caption(channel.error_label), mark });
        }
    }
    if (control.name() == score_button) {
        std::string score(caption("Label20"));
        // Read as a word: a speech engine may pass over a minus sign.
        if (!score.empty() && score.front() == '-')
            score.replace(0, 1, minus_word);
        return filled(score_sentence, { score });
    }
    return {};
}

model::Control* first_shown_tab_stop(model::Form1& form)
{
    for (auto const& stop : tab_stops) {
        if (auto& control = form.control(stop.control); control.Visible)
            return &control;
    }
    return nullptr;
}

model::Control* focus_after_handler(
    model::Form1& form, model::Control const& handled, model::Control const* focused)
{
    if (auto const* stage = stage_opened_by(form, handled))
        return &form.bar(stage->bar);
    if (focused == nullptr || focused->Visible)
        return nullptr;
    for (auto const& stop : tab_stops) {
        if (auto& control = form.control(stop.control); stop.control != end_button && control.Visible)
            return &control;
    }
    return first_shown_tab_stop(form);
}

int value_after(BarMove move, int value)
{
    using Bar = model::HScrollBar;
    switch (move) {
    case BarMove::StepLess:
        value -= Bar::SmallChange;
        break;
    case BarMove::StepMore:
        value += Bar::SmallChange;
        break;
    case BarMove::PageLess:
        value -= Bar::LargeChange;
        break;
    case BarMove::PageMore:
        value += Bar::LargeChange;
        break;
    case BarMove::ToMin:
        return Bar::Min;
    case BarMove::ToMax:
        return Bar::Max;
    }
    return std::clamp(value, Bar::Min, Bar::Max);
}

}
