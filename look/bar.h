#pragma once

#include <array>
#include <string_view>

namespace tintora::look {

// The moves of a scroll bar, as its end arrows, its track and its keys make them.
enum class BarMove { StepLess, StepMore, PageLess, PageMore, ToMin, ToMax };

// The bar's value after a move, limited to Min..Max.
int value_after(BarMove move, int value);

// The keys of a focused bar, as on any desktop's horizontal scroll bar:
// Right and Down step up, Left and Up step down, the page keys move by
// LargeChange, Home and End go to the ends. Each key by the name browsers
// give it and by Qt's portable name.
struct BarKey {
    std::string_view key;
    std::string_view qt_key;
    BarMove move;
};

inline constexpr std::array<BarKey, 8> bar_keys { {
    { "ArrowRight", "Right", BarMove::StepMore },
    { "ArrowDown", "Down", BarMove::StepMore },
    { "ArrowLeft", "Left", BarMove::StepLess },
    { "ArrowUp", "Up", BarMove::StepLess },
    { "PageDown", "PgDown", BarMove::PageMore },
    { "PageUp", "PgUp", BarMove::PageLess },
    { "Home", "Home", BarMove::ToMin },
    { "End", "End", BarMove::ToMax },
} };

// The move a key makes on a focused bar, by either of its names; false for a
// key that a bar does not take.
bool move_of_key(std::string_view key, BarMove& move);

// Where the thumb stands for a value, as a share of its travel along the
// track: 0 at Min, 1 at Max. And the value of a thumb let go at a share of
// its travel, the nearest whole value, limited to Min..Max. A toolkit with a
// scroll bar of its own keeps its own rule; a drawn bar takes this one.
double thumb_share(int value);
int value_at_share(double share);

// Where the fine-adjust hint's two arrows stand: each centred over one end
// arrow of the bar below it, measured from the hint's left edge. Each
// edition says where its bar stands and how wide its end arrows are.
struct HintMarks {
    double first;
    double last;
};
constexpr HintMarks hint_marks(double hint_left, double bar_left, double bar_width, double arrow_width)
{
    return { bar_left + arrow_width / 2 - hint_left, bar_left + bar_width - arrow_width / 2 - hint_left };
}

}
