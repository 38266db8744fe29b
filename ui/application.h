#pragma once

#include <QApplication>

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

}
