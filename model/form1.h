#pragma once

#include "model/control_table.h"
#include "model/controls.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <deque>
#include <string_view>
#include <vector>

namespace tintora::model {

// A control of the window by its name, checked when the program is
// compiled: a name that is not in the control table does not compile. It
// stands for the control's row in the table.
class ControlId {
public:
    consteval ControlId(char const* name) // NOLINT(google-explicit-constructor)
        : m_index(index_of(name))
    {
    }
    // A control found at run time, by its row (index_of a name).
    static constexpr ControlId of(std::size_t index) { return { index, 0 }; }
    constexpr std::size_t index() const { return m_index; }
    constexpr ControlRow const& row() const { return control_table[m_index]; }
    constexpr std::string_view name() const { return row().name; }
    friend constexpr bool operator==(ControlId, ControlId) = default;

private:
    constexpr ControlId(std::size_t index, int /*from_a_row*/)
        : m_index(index < control_table.size() ? index : throw ModelError("no control has that row"))
    {
    }
    std::size_t m_index;
};

// The name of a control of kind K: a name that is not in the control table,
// or names a control of another kind, does not compile. It also stands for
// the control's slot in Form1, which keeps each kind in a list of its own.
template <Kind K>
class ControlName : public ControlId {
public:
    consteval ControlName(char const* name) // NOLINT(google-explicit-constructor)
        : ControlId(of_kind(name))
        , m_slot(slot_of(index()))
    {
    }
    constexpr std::size_t slot() const { return m_slot; }
    // The control of kind K in a row found at run time; a row of another
    // kind is refused with a ModelError.
    static constexpr ControlName of_row(std::size_t index) { return ControlName(ControlId::of(index)); }

private:
    constexpr explicit ControlName(ControlId id)
        : ControlId(id)
        , m_slot(
              id.row().kind == K ? slot_of(id.index()) : throw ModelError("the control is of another kind"))
    {
    }
    static consteval char const* of_kind(char const* name)
    {
        if (control_table[index_of(name)].kind != K)
            throw "the control is of another kind";
        return name;
    }
    std::size_t m_slot;
};

using LabelName = ControlName<Kind::Label>;
using ButtonName = ControlName<Kind::CommandButton>;
using BarName = ControlName<Kind::HScrollBar>;
using ShapeName = ControlName<Kind::Shape>;

// The names of the control arrays, in the order their first member appears
// in the table.
struct ArrayNames {
    std::array<std::string_view, control_table.size()> names {};
    std::size_t count = 0;

    constexpr std::string_view const* begin() const { return names.data(); }
    constexpr std::string_view const* end() const { return names.data() + count; }
};

constexpr ArrayNames array_names_in_table()
{
    ArrayNames result;
    for (auto const& row : control_table) {
        auto const array = array_member_of(row.name).array;
        if (!array.empty() && std::find(result.begin(), result.end(), array) == result.end())
            result.names[result.count++] = array;
    }
    return result;
}

inline constexpr ArrayNames array_names = array_names_in_table();

class ArrayName {
public:
    consteval ArrayName(char const* name) // NOLINT(google-explicit-constructor)
        : m_slot(find(name))
    {
    }
    constexpr std::size_t slot() const { return m_slot; }

private:
    static consteval std::size_t find(std::string_view name)
    {
        for (std::size_t i = 0; i < array_names.count; ++i) {
            if (array_names.names[i] == name)
                return i;
        }
        throw "no control array of that name";
    }
    std::size_t m_slot;
};

// A group of labels that share one name, each with its own index.
class ControlArray {
public:
    explicit ControlArray(std::string_view name)
        : m_name(name)
    {
    }
    std::string_view name() const { return m_name; }
    void add(int index, Label& member) { m_members.push_back({ index, &member }); }

    // Refuses an index the array has no member for (there is no Label2(0)).
    Label& Item(int index) const;

private:
    struct Member {
        int index;
        Label* label;
    };
    std::string_view m_name;
    std::vector<Member> m_members;
};

// The window's controls, which are also the whole data model of a
// measurement. A new Form1 is in the opening state: every control as the
// control table gives it, all three bars at 150.
class Form1 {
public:
    Form1();
    Form1(Form1 const&) = delete;
    Form1& operator=(Form1 const&) = delete;

    Label& label(LabelName name) { return m_labels[name.slot()]; }
    CommandButton& button(ButtonName name) { return m_buttons[name.slot()]; }
    HScrollBar& bar(BarName name) { return m_bars[name.slot()]; }
    Shape& shape(ShapeName name) { return m_shapes[name.slot()]; }
    ControlArray& array(ArrayName name) { return m_arrays[name.slot()]; }
    Label const& label(LabelName name) const { return m_labels[name.slot()]; }
    HScrollBar const& bar(BarName name) const { return m_bars[name.slot()]; }
    ControlArray const& array(ArrayName name) const { return m_arrays[name.slot()]; }

    Control& control(ControlId id) const { return *m_controls[id.index()]; }
    Control& control(std::size_t index) const { return *m_controls.at(index); }
    // Look-ups at run time, by the full name ("Label13(2)"). A name that is
    // not on the form is refused with a ModelError.
    Control& control_named(std::string_view name) const { return control(index_of(name)); }
    ControlArray& array_named(std::string_view name);

    // All controls in table order.
    std::array<Control*, control_table.size()> const& controls() const { return m_controls; }

private:
    std::deque<Label> m_labels;
    std::deque<CommandButton> m_buttons;
    std::deque<HScrollBar> m_bars;
    std::deque<Shape> m_shapes;
    std::deque<ControlArray> m_arrays;
    std::array<Control*, control_table.size()> m_controls {};
};

}
