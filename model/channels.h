#pragma once

#include "model/form1.h"

#include <array>
#include <optional>
#include <string_view>

namespace tintora::model {

// The controls of one colour channel, by role. Code that treats the three
// channels alike goes through this table instead of naming controls.
struct Channel {
    std::string_view name;
    int index; // 0 red, 1 green, 2 blue: also the index of its marks in Label13..Label15
    BarName bar;
    LabelName value_label;
    ButtonName channel_button;
    ButtonName confirm_button;
    LabelName confirmed_label;
    LabelName correct_label;
    LabelName error_label;
    // The prompt that asked for this channel's button, hidden when its stage begins.
    std::optional<LabelName> entry_prompt;
};

inline constexpr std::array<Channel, 3> channels { {
    { "red", 0, "red", "labelred", "RedBottun", "Command1", "Label17", "Label4", "Label7", std::nullopt },
    { "green", 1, "green", "labelgreen", "GreenBottun", "Command2", "Label18", "Label5", "Label8",
        LabelName("Label22") },
    { "blue", 2, "blue", "labelblue", "BlueBottun", "Command3", "Label19", "Label6", "Label9",
        LabelName("Label23") },
} };

inline constexpr Channel const& red_channel = channels[0];
inline constexpr Channel const& green_channel = channels[1];
inline constexpr Channel const& blue_channel = channels[2];

// The judgement marks, by grade: ◎ in Label13, ○ in Label14, △ in Label15.
enum class Mark { Excellent, Good, Poor };
inline constexpr std::array<ArrayName, 3> mark_arrays { "Label13", "Label14", "Label15" };

// The controls with a role of their own, outside the channel table.
inline constexpr LabelName title_label = "Label3";
inline constexpr ShapeName test_patch = "Shape2"; // Ａ, the colour the user mixes
inline constexpr ShapeName target_patch = "Shape1"; // Ｂ, the colour drawn at random
inline constexpr ButtonName start_button = "StartButton";
inline constexpr ButtonName end_button = "EndButton";
inline constexpr ButtonName score_button = "Command6";
inline constexpr ButtonName remeasure_button = "SaisokuteiButton";
inline constexpr LabelName score_label = "Label20";
// The fine-adjust hint, whose arrows point down at the ends of the bar
// below it: the confirmations move it a row down, re-measure back up.
inline constexpr LabelName fine_adjust_hint = "Label21";

}
