#include "model/form1.h"

#include "model/error.h"

#include <algorithm>
#include <string>

namespace tintora::model {

Label& ControlArray::Item(int index) const
{
    auto const it = std::find_if(
        m_members.begin(), m_members.end(), [index](Member const& member) { return member.index == index; });
    if (it == m_members.end()) {
        throw ModelError(std::string(m_name) + "(" + std::to_string(index)
            + ") does not exist: the control array has no member with that index");
    }
    return *it->label;
}

Form1::Form1()
{
    for (auto const name : array_names)
        m_arrays.emplace_back(name);

    for (std::size_t i = 0; i < control_table.size(); ++i) {
        auto const& row = control_table[i];
        Control* control = nullptr;
        switch (row.kind) {
        case Kind::Label: {
            auto& label
                = m_labels.emplace_back(i, row.name, row.place, row.visible, row.caption, row.tooltip);
            if (auto const member = array_member_of(row.name); member.index >= 0)
                array_named(member.array).add(member.index, label);
            control = &label;
            break;
        }
        case Kind::CommandButton:
            control = &m_buttons.emplace_back(i, row.name, row.place, row.visible, row.caption, row.tooltip);
            break;
        case Kind::HScrollBar:
            control = &m_bars.emplace_back(i, row.name, row.place, row.visible);
            break;
        case Kind::Shape:
            control = &m_shapes.emplace_back(i, row.name, row.place, row.visible);
            break;
        }
        m_controls[i] = control;
    }
}

ControlArray& Form1::array_named(std::string_view name)
{
    auto const it = std::find_if(
        m_arrays.begin(), m_arrays.end(), [name](ControlArray const& array) { return array.name() == name; });
    if (it == m_arrays.end())
        throw ModelError("Form1 has no control array named " + std::string(name));
    return *it;
}

}
