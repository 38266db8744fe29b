#pragma once

#include <QApplication>
#include <QIcon>

namespace tintora::ui {

// Prepares and watches the platform's start-up: the accessibility bridge
// stays on, and a display that cannot be opened ends the program with one
// clear line and status 1, not a core dump.
class StartupGuard {
public:
    StartupGuard();
    ~StartupGuard();
    StartupGuard(StartupGuard const&) = delete;
    StartupGuard& operator=(StartupGuard const&) = delete;
};

// The program's application object. It takes no command line: Qt sees only
// the program's name.
class Application final : private StartupGuard, public QApplication {
public:
    explicit Application(char const* program);

private:
    QPalette light_palette();
};

// The program's icon, from the files the package installs. A size is
// decoded only when it is asked for, and not kept; on X11 the window hands
// its window manager the sizes up to 128 pixels.
QIcon program_icon();

}
