#pragma once

#include "look/look.h"

#include <array>
#include <span>
#include <string_view>

namespace tintora::look {

// The window arranged for fingers, where the pointer is a finger: a phone or
// a tablet, held upright or on its side. The same 50 controls with the same
// captions, colours, fonts, focus order and handlers; only places and sizes
// differ. Places are CSS pixels of the arrangement's least size (a 320 × 568
// phone upright, 568 × 320 on its side), which grows with the screen.
//
// The stage's controls have one place for all three channels, since only
// one stage runs at a time: the channel's button, bar, value and 確定 stand
// where the running stage's do, and the fine-adjust hint keeps its place
// over that bar whichever row the handlers have moved it to. The prompt for G or B stands beside
// the channel button it points at, and the confirmed values join their rows
// of results. Every button and every bar is at least 48 × 48, the size the
// platforms ask of a finger's target, and 8 apart from every other one
// shown with it. No text is under 12, and coloured text too small to count
// as large for WCAG's contrast (the red 判定 at 3:1) is made large enough.
struct TouchPlace {
    std::string_view controls; // separated by spaces, as in the looks
    int left;
    int top;
    int width;
    int height;
    int font; // CSS pixels; 0 where the control has no caption
};

enum class Hold { Upright, OnItsSide };

struct Arrangement {
    Hold hold;
    int width;
    int height;
    // Lines of a caption that wraps are this far apart, in its font's size.
    double line_height;
    std::span<TouchPlace const> places;
};

inline constexpr int finger = 48; // the least size of a finger's target
inline constexpr int finger_gap = 8; // the least space between two of them
inline constexpr int least_text = 12;

// One column: the title, the patches side by side, the instructions, the
// stage (the hint over the bar, then the channel button, value and 確定),
// the headings and rows of results, the score, and PUSH, 再測定 and ＥＮＤ
// across the foot. ＳＴＡＲＴ and its hint stand where the stage will.
inline constexpr std::array<TouchPlace, 35> upright_places { {
    { "Label3", 8, 8, 304, 34, 22 },
    { "Label1(0)", 8, 48, 148, 18, 16 },
    { "Label1(1)", 164, 48, 148, 18, 16 },
    { "Shape2", 8, 68, 148, 64, 0 },
    { "Shape1", 164, 68, 148, 64, 0 },
    { "Label2(2)", 8, 138, 304, 50, 14 },
    { "Label2(1)", 8, 180, 200, 48, 16 },
    { "StartButton", 216, 176, 96, 56, 16 },
    { "Label21", 8, 192, 304, 50, 14 },
    { "red green blue", 8, 244, 304, 48, 0 },
    { "RedBottun GreenBottun BlueBottun", 8, 300, 64, 52, 32 },
    { "labelred labelgreen labelblue", 80, 302, 112, 48, 28 },
    { "Command1 Command2 Command3", 200, 300, 112, 52, 22 },
    { "Label22 Label23", 80, 300, 232, 52, 16 },
    { "Label16", 8, 358, 72, 22, 16 },
    { "Label10", 84, 358, 72, 22, 16 },
    { "Label12(0)", 160, 358, 72, 22, 16 },
    { "Label12(1)", 236, 356, 76, 24, 19 },
    { "Label17", 8, 382, 72, 30, 22 },
    { "Label4", 84, 382, 72, 30, 22 },
    { "Label7", 160, 382, 72, 30, 22 },
    { "Label13(0) Label14(0) Label15(0)", 236, 382, 76, 30, 24 },
    { "Label18", 8, 414, 72, 30, 22 },
    { "Label5", 84, 414, 72, 30, 22 },
    { "Label8", 160, 414, 72, 30, 22 },
    { "Label13(1) Label14(1) Label15(1)", 236, 414, 76, 30, 24 },
    { "Label19", 8, 446, 72, 30, 22 },
    { "Label6", 84, 446, 72, 30, 22 },
    { "Label9", 160, 446, 72, 30, 22 },
    { "Label13(2) Label14(2) Label15(2)", 236, 446, 76, 30, 24 },
    { "Label24", 8, 482, 220, 24, 14 },
    { "Label20", 236, 476, 76, 32, 28 },
    { "Command6", 8, 512, 96, 48, 20 },
    { "SaisokuteiButton", 112, 512, 96, 48, 16 },
    { "EndButton", 216, 512, 96, 48, 16 },
} };

// Two columns that fit the least phone on its side, 568 × 320, without
// scrolling: the title, the patches, the instructions and ＥＮＤ on the left;
// on the right the stage, and below it the results. The score and its
// buttons take the stage's place, which is empty once blue is confirmed.
inline constexpr std::array<TouchPlace, 35> on_its_side_places { {
    { "Label3", 8, 8, 268, 34, 22 },
    { "Label1(0)", 8, 48, 130, 18, 16 },
    { "Label1(1)", 146, 48, 130, 18, 16 },
    { "Shape2", 8, 68, 130, 112, 0 },
    { "Shape1", 146, 68, 130, 112, 0 },
    { "Label2(2)", 8, 188, 268, 68, 14 },
    { "Label2(1)", 8, 196, 172, 48, 16 },
    { "StartButton", 188, 192, 88, 56, 16 },
    { "EndButton", 8, 264, 88, 48, 16 },
    { "Label21", 292, 8, 268, 48, 14 },
    { "red green blue", 292, 58, 268, 48, 0 },
    { "RedBottun GreenBottun BlueBottun", 292, 114, 60, 52, 30 },
    { "labelred labelgreen labelblue", 360, 116, 88, 48, 28 },
    { "Command1 Command2 Command3", 456, 114, 104, 52, 22 },
    { "Label22 Label23", 360, 114, 200, 52, 16 },
    { "Label24", 292, 16, 268, 24, 14 },
    { "Label20", 292, 48, 268, 42, 28 },
    { "Command6", 292, 114, 96, 52, 20 },
    { "SaisokuteiButton", 396, 114, 96, 52, 16 },
    { "Label16", 292, 174, 64, 22, 16 },
    { "Label10", 360, 174, 64, 22, 16 },
    { "Label12(0)", 428, 174, 64, 22, 16 },
    { "Label12(1)", 496, 172, 64, 24, 19 },
    { "Label17", 292, 198, 64, 30, 22 },
    { "Label4", 360, 198, 64, 30, 22 },
    { "Label7", 428, 198, 64, 30, 22 },
    { "Label13(0) Label14(0) Label15(0)", 496, 198, 64, 30, 24 },
    { "Label18", 292, 230, 64, 30, 22 },
    { "Label5", 360, 230, 64, 30, 22 },
    { "Label8", 428, 230, 64, 30, 22 },
    { "Label13(1) Label14(1) Label15(1)", 496, 230, 64, 30, 24 },
    { "Label19", 292, 262, 64, 30, 22 },
    { "Label6", 360, 262, 64, 30, 22 },
    { "Label9", 428, 262, 64, 30, 22 },
    { "Label13(2) Label14(2) Label15(2)", 496, 262, 64, 30, 24 },
} };

inline constexpr std::array<Arrangement, 2> touch_arrangements { {
    { Hold::Upright, 320, 568, 1.15, upright_places },
    { Hold::OnItsSide, 568, 320, 1.15, on_its_side_places },
} };

// The place of a control in an arrangement, or null for a name it does not cover.
constexpr TouchPlace const* find_touch_place(Arrangement const& arrangement, std::string_view name)
{
    for (auto const& place : arrangement.places) {
        if (covers(place.controls, name))
            return &place;
    }
    return nullptr;
}

static_assert([] {
    for (auto const& arrangement : touch_arrangements) {
        for (auto const& place : arrangement.places)
            names_controls(place.controls);
    }
    return true;
}());

}
