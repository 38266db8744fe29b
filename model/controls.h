#pragma once

#include "model/colour.h"
#include "model/property.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace tintora::model {

enum class Kind { Label, CommandButton, HScrollBar, Shape };

// Position and size in twips (1440 to the inch), from the top-left corner of
// the window's client area.
struct Place {
    int left {};
    int top {};
    int width {};
    int height {};
};

// What every control has: its row in the control table, its designed name
// ("Label13(2)" for an array member), its place in the window and whether it
// is shown. A hidden control keeps all its other properties and can be read
// and written as usual.
class Control {
public:
    Control(std::size_t index, std::string_view name, Kind kind, Place place, bool visible)
        : Visible(visible)
        , m_index(index)
        , m_name(name)
        , m_kind(kind)
        , m_place(place)
    {
    }
    virtual ~Control() = default;
    Control(Control const&) = delete;
    Control& operator=(Control const&) = delete;

    std::size_t index() const { return m_index; }
    std::string const& name() const { return m_name; }
    Kind kind() const { return m_kind; }
    Place const& place() const { return m_place; }

    Property<bool> Visible;

private:
    std::size_t m_index;
    std::string m_name;
    Kind m_kind;
    Place m_place;
};

class Label final : public Control {
public:
    Label(std::size_t index, std::string_view name, Place place, bool visible, std::string_view caption,
        std::string_view tooltip)
        : Control(index, name, Kind::Label, place, visible)
        , Caption(std::string(caption))
        , Top(static_cast<float>(place.top))
        , ToolTipText(tooltip)
    {
    }

    Property<std::string> Caption;
    // Twips, single precision; only the fine-adjust hint ever moves.
    Property<float> Top;
    std::string const ToolTipText;
};

class CommandButton final : public Control {
public:
    CommandButton(std::size_t index, std::string_view name, Place place, bool visible,
        std::string_view caption, std::string_view tooltip)
        : Control(index, name, Kind::CommandButton, place, visible)
        , Caption(caption)
        , ToolTipText(tooltip)
    {
    }

    std::string const Caption;
    std::string const ToolTipText;
    Event Click;
};

class HScrollBar;

// A scroll bar's value. Every write that changes it raises the bar's Change
// event before the write returns, for hidden bars too; a value outside
// Min..Max is refused with a ModelError and changes nothing.
class BarValue {
public:
    BarValue(HScrollBar& bar, int initial)
        : m_bar(bar)
        , m_value(initial)
    {
    }
    BarValue(BarValue const&) = delete;

    int get() const { return m_value.get(); }
    operator int() const { return m_value.get(); } // NOLINT(google-explicit-constructor)
    BarValue& operator=(int value);
    void observe(Property<int>::Observer observer) { m_value.observe(std::move(observer)); }

private:
    HScrollBar& m_bar;
    Property<int> m_value;
};

class HScrollBar final : public Control {
public:
    static constexpr int opening_value = 150;

    HScrollBar(std::size_t index, std::string_view name, Place place, bool visible)
        : Control(index, name, Kind::HScrollBar, place, visible)
    {
    }

    static constexpr int Min = 0;
    static constexpr int Max = 255;
    static constexpr int SmallChange = 1;
    static constexpr int LargeChange = 10;

    BarValue Value { *this, opening_value };
    Event Change;
};

class Shape final : public Control {
public:
    Shape(std::size_t index, std::string_view name, Place place, bool visible)
        : Control(index, name, Kind::Shape, place, visible)
    {
    }

    Property<Colour> BackColor { white };
};

}
