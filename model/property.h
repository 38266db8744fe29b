#pragma once

#include <functional>
#include <utility>
#include <vector>

namespace tintora::model {

// A value that tells its observers about every change. The window binds to
// the model through these: it observes the properties that handlers write and
// repaints the widget, so the model never needs to know a toolkit exists.
template <typename T>
class Property {
public:
    using Observer = std::function<void(T const&)>;

    explicit Property(T initial = T {})
        : m_value(std::move(initial))
    {
    }
    Property(Property const&) = delete;
    Property& operator=(Property const&) = delete;

    T const& get() const { return m_value; }
    operator T const&() const { return m_value; } // NOLINT(google-explicit-constructor)

    // Writing the value it already has is not a change and notifies no one.
    // The new value is compared before it is converted, so that writing a
    // caption from a literal makes no temporary string when nothing changes.
    template <typename U>
    Property& operator=(U&& value)
    {
        set(std::forward<U>(value));
        return *this;
    }
    template <typename U>
    void set(U&& value)
    {
        if (m_value == value)
            return;
        m_value = std::forward<U>(value);
        for (auto const& observer : m_observers)
            observer(m_value);
    }

    void observe(Observer observer) { m_observers.push_back(std::move(observer)); }

private:
    T m_value;
    std::vector<Observer> m_observers;
};

// An event slot: a higher layer fills it in with a handler, the window or a
// test raises it. Raising an empty slot does nothing, as a control whose
// event has no handler.
class Event {
public:
    using Handler = std::function<void()>;

    Event() = default;
    Event(Event const&) = delete;
    Event& operator=(Event const&) = delete;

    Event& operator=(Handler handler)
    {
        m_handler = std::move(handler);
        return *this;
    }
    void operator()() const
    {
        if (m_handler)
            m_handler();
    }
    explicit operator bool() const { return static_cast<bool>(m_handler); }

private:
    Handler m_handler;
};

}
