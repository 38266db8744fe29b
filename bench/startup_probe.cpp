// tintora's own main, with the first-frame report added: the same
// application object and the same window code as the real program.
#include "first_frame.h"
#include "ui/application.h"
#include "ui/form_window.h"

int main(int /*argc*/, char* argv[])
{
    tintora::ui::Application application(argv[0]);
    tintora::ui::FormWindow window;
    tintora::bench::FirstFrame const first_frame(window);
    window.show();
    return tintora::ui::Application::exec();
}
