#include "ui/application.h"
#include "ui/form_window.h"

int main(int /*argc*/, char* argv[])
{
    tintora::ui::Application application(argv[0]);
    tintora::ui::FormWindow window;
    window.show();
    return tintora::ui::Application::exec();
}
