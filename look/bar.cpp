#include "look/bar.h"

#include "model/controls.h"

#include <algorithm>
#include <cmath>

namespace tintora::look {

using Bar = model::HScrollBar;

int value_after(BarMove move, int value)
{
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

bool move_of_key(std::string_view key, BarMove& move)
{
    auto const found = std::find_if(bar_keys.begin(), bar_keys.end(),
        [key](BarKey const& each) { return each.key == key || each.qt_key == key; });
    if (found == bar_keys.end())
        return false;
    move = found->move;
    return true;
}

double thumb_share(int value) { return static_cast<double>(value - Bar::Min) / (Bar::Max - Bar::Min); }

int value_at_share(double share)
{
    if (!std::isfinite(share))
        return Bar::Min;
    auto const value = static_cast<int>(std::lround(std::clamp(share, 0.0, 1.0) * (Bar::Max - Bar::Min)));
    return Bar::Min + value;
}

}
