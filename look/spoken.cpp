#include "look/spoken.h"

#include "look/look.h"
#include "model/channels.h"

#include <algorithm>
#include <array>
#include <initializer_list>

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

    // Whether a row of the table is the mark of a channel.
    bool is_mark_of(std::size_t index, model::Channel const& channel)
    {
        auto const member = model::array_member_of(model::control_table[index].name);
        return member.index == channel.index
            && std::any_of(
                model::mark_arrays.begin(), model::mark_arrays.end(), [&member](model::ArrayName array) {
                    return model::array_names.names[array.slot()] == member.array;
                });
    }

    // The stage a button's handler has just opened, or null: ＳＴＡＲＴ and
    // 再測定 open the red one, a channel button its own.
    model::Channel const* stage_opened_by(model::Control const& control)
    {
        if (std::any_of(red_stage_openers.begin(), red_stage_openers.end(),
                [&control](model::ButtonName opener) { return opener.index() == control.index(); }))
            return &model::red_channel;
        for (auto const& channel : model::channels) {
            if (control.index() == channel.channel_button.index())
                return &channel;
        }
        return nullptr;
    }

    // The first stop of the focus order that the predicate takes, or null.
    template <typename Takes>
    TabStop const* first_stop(Takes const& takes)
    {
        auto const found = std::find_if(tab_stops.begin(), tab_stops.end(),
            [&takes](TabStop const& stop) { return takes(stop.control); });
        return found == tab_stops.end() ? nullptr : &*found;
    }

    std::string_view caption(model::Form1 const& form, model::LabelName name)
    {
        return form.label(name).Caption.get();
    }

    // How a stage is told: the channel, and the way by Tab from its bar to
    // its 確定 through the controls shown now, as the focus order has them.
    std::string stage_told(model::Form1 const& form, model::Channel const& channel)
    {
        auto stop = std::find_if(tab_stops.begin(), tab_stops.end(),
            [&channel](TabStop const& each) { return each.control == channel.bar; });
        std::string passed;
        int presses = 1;
        for (++stop; stop != tab_stops.end() && !(stop->control == channel.confirm_button); ++stop) {
            if (!form.control(stop->control).Visible)
                continue;
            if (!passed.empty())
                passed += list_separator;
            passed += stop->control.row().caption;
            ++presses;
        }
        return filled(stage_sentence, { word_of(channel), std::to_string(presses), passed });
    }

}

Spoken spoken_of(std::size_t index)
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
    spoken.description = model::control_table.at(index).tooltip;
    auto const give_role = [&spoken](std::string role) {
        spoken.description = role;
        spoken.role = std::move(role);
    };
    for (auto const& channel : model::channels) {
        auto const word = std::string(word_of(channel));
        if (index == channel.bar.index())
            spoken.name = word;
        for (auto const& role : number_roles) {
            if (index == (channel.*role.label).index())
                give_role(word + std::string(role.suffix));
        }
        if (is_mark_of(index, channel))
            give_role(word + "の判定");
    }
    for (auto const& words : spoken_words) {
        if (words.control.index() != index)
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

std::string announcement_after(model::Form1 const& form, model::Control const& control)
{
    if (control.kind() != model::Kind::CommandButton)
        return {};
    if (auto const* stage = stage_opened_by(control))
        return stage_told(form, *stage);
    for (auto const& channel : model::channels) {
        if (control.index() != channel.confirm_button.index())
            continue;
        std::string_view mark;
        for (auto const array : model::mark_arrays) {
            auto const& label = form.array(array).Item(channel.index);
            if (label.Visible)
                mark = label.Caption.get();
        }
        return filled(result_sentence,
            { word_of(channel), caption(form, channel.confirmed_label), caption(form, channel.correct_label),
                caption(form, channel.error_label), mark });
    }
    if (control.index() == model::score_button.index()) {
        std::string score(caption(form, model::score_label));
        // Read as a word: a speech engine may pass over a minus sign.
        if (!score.empty() && score.front() == '-')
            score.replace(0, 1, minus_word);
        return filled(score_sentence, { score });
    }
    return {};
}

model::Control* first_shown_tab_stop(model::Form1 const& form)
{
    auto const* stop = first_stop([&form](model::ControlId id) { return form.control(id).Visible.get(); });
    return stop == nullptr ? nullptr : &form.control(stop->control);
}

model::ControlId focus_at_opening()
{
    return first_stop([](model::ControlId id) { return id.row().visible; })->control;
}

model::Control* focus_after_handler(
    model::Form1 const& form, model::Control const& handled, model::Control const* focused)
{
    if (auto const* stage = stage_opened_by(handled))
        return &form.control(stage->bar);
    if (focused == nullptr || focused->Visible)
        return nullptr;
    auto const* next = first_stop(
        [&form](model::ControlId id) { return id != model::end_button && form.control(id).Visible.get(); });
    return next == nullptr ? first_shown_tab_stop(form) : &form.control(next->control);
}

model::Control* next_tab_stop(model::Form1 const& form, model::Control const* from, bool forward)
{
    auto const count = tab_stops.size();
    auto const at = std::find_if(tab_stops.begin(), tab_stops.end(),
        [from](TabStop const& stop) { return from != nullptr && stop.control.index() == from->index(); });
    std::size_t position = at == tab_stops.end() ? (forward ? count - 1 : 0)
                                                 : static_cast<std::size_t>(at - tab_stops.begin());
    for (std::size_t step = 1; step <= count; ++step) {
        position = forward ? (position + 1) % count : (position + count - 1) % count;
        if (auto& control = form.control(tab_stops[position].control); control.Visible)
            return &control;
    }
    return nullptr;
}

}
