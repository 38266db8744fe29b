// The Windows program: the window Form1 and its message loop. It takes no
// command line and keeps no settings; it ends with status 0 at ＥＮＤ or when
// the window is closed, and with 1 after a run-time error it has reported.
#include "win/form_window.h"

#include <commctrl.h>

int WINAPI wWinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, PWSTR /*command_line*/, int /*show*/)
{
    INITCOMMONCONTROLSEX const controls { sizeof controls, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES };
    InitCommonControlsEx(&controls);
    tintora::win::FormWindow window;
    return tintora::win::run(window);
}
