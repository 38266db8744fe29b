#include "model/controls.h"

#include "model/error.h"

#include <string>

namespace tintora::model {

BarValue& BarValue::operator=(int value)
{
    if (value < HScrollBar::Min || value > HScrollBar::Max) {
        throw ModelError(m_bar.name() + ".Value cannot be " + std::to_string(value) + ": it must lie from "
            + std::to_string(HScrollBar::Min) + " to " + std::to_string(HScrollBar::Max));
    }
    if (value == m_value.get())
        return *this;
    m_value = value;
    m_bar.Change();
    return *this;
}

}
