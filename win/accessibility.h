#pragma once

#include <windows.h>

#include <oleacc.h>

#include <string>

namespace tintora::win {

// What Windows screen readers are told beyond the standard controls' own
// accessible objects (MSAA and, through them, UI Automation): each control's
// name and description as look/ gives them, annotated on its window
// (Dynamic Annotation, IAccPropServices), and the sentence after each step,
// told by an announcer that draws nothing, whose name changes and which is
// a polite live region. Where the system has no annotation service, the
// window texts the controls carry still name them.
class Accessibility {
public:
    explicit Accessibility(HWND window);
    ~Accessibility();
    Accessibility(Accessibility const&) = delete;
    Accessibility& operator=(Accessibility const&) = delete;

    // Names and describes a control's accessible object; a graphic (a patch)
    // is said to be one.
    void describe(
        HWND control, std::wstring const& name, std::wstring const& description, bool graphic = false);
    void announce(std::wstring const& sentence);
    HWND announcer() const { return m_announcer; }

private:
    IAccPropServices* m_services = nullptr;
    HWND m_announcer = nullptr;
    bool m_com = false;
};

}
