#include "ui/application.h"

#include <QIcon>
#include <QStyleFactory>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace tintora::ui {

namespace {

    QtMessageHandler previous_handler = nullptr;
    bool starting = false;
    QString platform_complaint;

    // While the platform starts, its complaints about a missing display are
    // summed up in one line; a fatal one ends the process without the abort (and
    // the core dump) that Qt would leave.
    void startup_messages(QtMsgType type, QMessageLogContext const& context, QString const& message)
    {
        if (starting && type == QtFatalMsg) {
            QByteArray const display = qgetenv("DISPLAY");
            std::fprintf(stderr, "tintora: cannot open the window: %s\n",
                platform_complaint.isEmpty() ? qPrintable(
                    QStringLiteral("no display could be opened (DISPLAY=%1)")
                        .arg(display.isEmpty() ? QStringLiteral("unset") : QString::fromLocal8Bit(display)))
                                             : qPrintable(platform_complaint));
            std::fflush(stderr);
            _exit(1);
        }
        if (starting && QByteArray(context.category).startsWith("qt.qpa")) {
            if (platform_complaint.isEmpty())
                platform_complaint = message.section(QLatin1Char('\n'), 0, 0);
            return;
        }
        if (previous_handler != nullptr)
            previous_handler(type, context, message);
    }

    int program_argc = 1;
    char* program_argv[] = { nullptr, nullptr };

}

StartupGuard::StartupGuard()
{
    starting = true;
    previous_handler = qInstallMessageHandler(startup_messages);
}

StartupGuard::~StartupGuard() { qInstallMessageHandler(previous_handler); }

Application::Application(char const* program)
    : QApplication((program_argv[0] = const_cast<char*>(program), program_argc), program_argv)
{
    starting = false;
    setApplicationName(QStringLiteral("tintora"));
    setDesktopFileName(QStringLiteral("org.tintora.Tintora"));
    QIcon icon;
    for (int const size : { 16, 24, 32, 48, 64, 128, 256 })
        icon.addFile(QStringLiteral(":/icons/tintora-%1.png").arg(size), QSize(size, size));
    setWindowIcon(icon);
    // One style on every desktop, so the window looks as designed everywhere.
    setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
}

}
