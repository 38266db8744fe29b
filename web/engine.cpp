// The engine of the web edition: the control model and the measurement's
// handlers, compiled to WebAssembly. The page raises events by control
// index (the control table's order) and gets back, as text, every change the
// handlers made, which it mirrors in its elements as the Qt widgets mirror
// the model on the desktop.
//
// One change a line, its fields separated by tabs:
//   V name 0|1              shown or hidden
//   C name caption spoken   a label's caption, and the words it is read with
//   T name pixels           a label's top
//   N name value share      a bar's value, and where its thumb stands as a
//                           share of its travel
//   B name #rrggbb          a shape's colour
//   F name                  the control that takes the focus now
//   A sentence              what the screen reader is told
//   E message               an error escaped a handler: the program ends

#include "look/bar.h"
#include "look/look.h"
#include "look/spoken.h"
#include "measurement/measurement.h"
#include "measurement/random.h"
#include "model/form1.h"
#include "web/css.h"

#include <emscripten/emscripten.h>

#include <array>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <vector>

namespace tintora::web {

namespace {

    class Engine {
    public:
        Engine()
        {
            measurement::connect(m_form, m_measurement);
            for (auto* control : m_form.controls())
                mirror(*control);
        }

        template <typename Action>
        char const* run(int control_index, char const* event, int focused_index, Action const& action)
        {
            m_changes.clear();
            auto* const control = at(control_index);
            auto const* const focused = at(focused_index);
            if (control == nullptr) {
                m_changes = "E\tno control " + std::to_string(control_index);
                return m_changes.c_str();
            }
            try {
                action(*control);
            } catch (std::exception const& error) {
                m_changes = "E\t" + control->name() + "." + event + ": " + error.what();
                return m_changes.c_str();
            }
            if (auto const* next = look::focus_after_handler(m_form, *control, focused))
                line("F", next->name());
            if (auto const sentence = look::announcement_after(m_form, *control); !sentence.empty())
                m_changes += "A\t" + sentence + "\n";
            return m_changes.c_str();
        }

        std::array<char, 32>& key_buffer() { return m_key; }

    private:
        model::Control* at(int index) const
        {
            auto const& controls = m_form.controls();
            if (index < 0 || static_cast<std::size_t>(index) >= controls.size())
                return nullptr;
            return controls[static_cast<std::size_t>(index)];
        }

        void line(char const* what, std::string const& name, std::string const& value = {})
        {
            m_changes += what;
            m_changes += '\t';
            m_changes += name;
            if (!value.empty()) {
                m_changes += '\t';
                m_changes += value;
            }
            m_changes += '\n';
        }

        void mirror(model::Control& control)
        {
            auto const& name = control.name();
            control.Visible.observe([this, &name](bool visible) { line("V", name, visible ? "1" : "0"); });
            switch (control.kind()) {
            case model::Kind::Label: {
                auto& label = static_cast<model::Label&>(control);
                auto role = look::spoken_of(control.index()).role;
                label.Caption.observe([this, &name, role](std::string const& caption) {
                    line("C", name, caption + "\t" + look::spoken_caption(role, caption));
                });
                label.Top.observe(
                    [this, &name](float top) { line("T", name, std::to_string(look::pixels(top))); });
                break;
            }
            case model::Kind::HScrollBar:
                static_cast<model::HScrollBar&>(control).Value.observe([this, &name](int value) {
                    line("N", name, std::to_string(value) + "\t" + std::to_string(look::thumb_share(value)));
                });
                break;
            case model::Kind::Shape:
                static_cast<model::Shape&>(control).BackColor.observe(
                    [this, &name](model::Colour colour) { line("B", name, css_colour(colour)); });
                break;
            case model::Kind::CommandButton:
                break;
            }
        }

        model::Form1 m_form;
        measurement::ClockSeededRandom m_random;
        measurement::Measurement m_measurement { m_form, m_random };
        std::string m_changes;
        std::array<char, 32> m_key {};
    };

    Engine& engine()
    {
        static Engine* const the_engine = new Engine;
        return *the_engine;
    }

}

}

using tintora::web::engine;

extern "C" {

// A click on a button.
EMSCRIPTEN_KEEPALIVE char const* tintora_click(int control, int focused)
{
    return engine().run(control, "Click", focused,
        [](tintora::model::Control& button) { static_cast<tintora::model::CommandButton&>(button).Click(); });
}

// A move of a bar by an end arrow, the track or a key (a look::BarMove).
EMSCRIPTEN_KEEPALIVE char const* tintora_move(int control, int move, int focused)
{
    return engine().run(control, "Change", focused, [move](tintora::model::Control& bar) {
        auto& value = static_cast<tintora::model::HScrollBar&>(bar).Value;
        value = tintora::look::value_after(static_cast<tintora::look::BarMove>(move), value);
    });
}

// A dragged thumb released at a share of its travel.
EMSCRIPTEN_KEEPALIVE char const* tintora_drop(int control, double share, int focused)
{
    return engine().run(control, "Change", focused, [share](tintora::model::Control& bar) {
        static_cast<tintora::model::HScrollBar&>(bar).Value = tintora::look::value_at_share(share);
    });
}

// Where the page writes the name of a key pressed on a bar.
EMSCRIPTEN_KEEPALIVE char* tintora_key_buffer() { return engine().key_buffer().data(); }

// The move that key makes, or -1 for a key a bar does not take.
EMSCRIPTEN_KEEPALIVE int tintora_key_move()
{
    tintora::look::BarMove move {};
    if (!tintora::look::move_of_key(engine().key_buffer().data(), move))
        return -1;
    return static_cast<int>(move);
}
}
