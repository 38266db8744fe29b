#pragma once

// The Windows binding: the window Form1 as a plain Win32 window, its
// controls the standard controls of their kinds (BUTTON, SCROLLBAR, and
// STATIC for labels and patches, drawn by the window in their looks), bound
// to the control model as the Qt widgets and the page's elements are.
// Everything it shows, places and says comes from look/.

#include "look/look.h"
#include "measurement/measurement.h"
#include "measurement/random.h"
#include "model/form1.h"

#include <windows.h>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace tintora::win {

// Text as Windows takes it, and back.
std::wstring wide(std::string_view utf8);
std::string narrow(std::wstring_view utf16);

// A caption broken into the lines a label of that width draws, in the font
// selected into the device context.
std::vector<std::wstring> caption_lines(HDC dc, std::wstring text, int width);

// Ends the program at once, with no question: the message loop returns 0.
void EndButton_Click();

class Accessibility;

class FormWindow {
public:
    // Told of an error that escaped a handler: "control.Event: what".
    using ErrorSink = std::function<void(std::string const& message)>;

    explicit FormWindow(std::unique_ptr<measurement::RandomSource> random = nullptr);
    ~FormWindow();
    FormWindow(FormWindow const&) = delete;
    FormWindow& operator=(FormWindow const&) = delete;

    HWND hwnd() const { return m_hwnd; }
    HWND hwnd_of(model::ControlId control) const { return m_children[control.index()]; }
    HWND tooltips() const { return m_tooltips; }
    model::Form1& form() { return m_form; }
    int dpi() const { return m_dpi; }
    void set_error_sink(ErrorSink sink) { m_error_sink = std::move(sink); }

    // Takes the keys that a dialog's manager would, before the message is
    // dispatched: Tab and Shift+Tab move the focus along the focus order,
    // Enter presses the focused button as Space does. True where it took
    // the message.
    bool take_key(MSG const& message);

private:
    static LRESULT CALLBACK procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT handle(UINT message, WPARAM wparam, LPARAM lparam);

    void size_client();
    void create_children();
    void bind(model::Control& control);
    void lay_out();
    RECT place_of(std::size_t index) const;
    HFONT font(std::size_t index);
    HFONT font(look::Font const& design);
    void draw(DRAWITEMSTRUCT const& item);
    void draw_control(HDC dc, std::size_t index, POINT origin);
    void draw_label(HDC dc, std::size_t index, RECT box);
    void draw_button(DRAWITEMSTRUCT const& item, std::size_t index);
    void repaint(std::size_t index);
    void scrolled(HWND bar, int code);
    int index_of(HWND child) const;

    // Runs a model event raised by the user. An error must not unwind
    // through the system's message dispatch, so it stops here and goes to
    // the error sink; then the focus moves on and the step is told.
    template <typename Action>
    void raise_event(std::size_t index, char const* event, Action const& action);

    model::Form1 m_form;
    std::unique_ptr<measurement::RandomSource> m_random;
    measurement::Measurement m_measurement;
    HWND m_hwnd = nullptr;
    HWND m_tooltips = nullptr;
    std::array<HWND, model::control_table.size()> m_children {};
    std::map<std::tuple<int, int, bool, bool, int>, HFONT> m_fonts;
    std::unique_ptr<Accessibility> m_accessibility;
    ErrorSink m_error_sink;
    int m_dpi = 96;
};

// Runs the program's message loop until it ends; the exit status.
int run(FormWindow& window);

}
