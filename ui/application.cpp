#include "ui/application.h"

#include "ui/accessibility.h"
#include "ui/look.h"
#include "ui/widgets.h"

#include <QFontDatabase>
#include <QIcon>
#include <QPalette>
#include <QStyleFactory>
#include <QToolTip>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace tintora::ui {

namespace {

    // The Debian packages that bring Qt's platform plugins, for the line that
    // says one is missing (a Wayland session without qt6-wayland).
    struct PluginPackage {
        char const* plugin;
        char const* package;
    };
    constexpr std::array<PluginPackage, 2> plugin_packages { {
        { "wayland", "qt6-wayland" },
        { "xcb", "libqt6gui6" },
    } };

    QString with_install_hint(QString const& complaint)
    {
        for (auto const& each : plugin_packages) {
            if (complaint.contains(QStringLiteral("platform plugin \"%1\"").arg(QLatin1String(each.plugin))))
                return complaint
                    + QStringLiteral(" (install the package %1)").arg(QLatin1String(each.package));
        }
        return complaint;
    }

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
                                             : qPrintable(with_install_hint(platform_complaint)));
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
    keep_accessibility_bridge_on();
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
    // One style and one light palette on every desktop, so the window looks
    // as designed everywhere.
    setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QPalette const light = light_palette();
    setPalette(light);
    // A platform theme gives buttons and labels palettes of their own (GTK's
    // does), which would stand over the application's.
    for (char const* const kind : { "QAbstractButton", "QLabel" })
        setPalette(light, kind);
    QToolTip::setPalette(light);
    install_accessibility();
    // Without a font for the Japanese captions every one of them is a row of
    // boxes: say what to install, and open the window all the same.
    if (QFontDatabase::families(QFontDatabase::Japanese).isEmpty()) {
        std::fprintf(stderr,
            "tintora: no installed font has Japanese characters, so the window's texts cannot be read;"
            " install the package fonts-ipafont-gothic\n");
    }
}

// The toolkit's own light palette (Fusion's, as it stands where no desktop
// theme speaks), with the standard scheme's shades for the system colours.
// It is written out rather than asked of the style: under a desktop theme
// the style answers with the theme's colours. Every role of every group is
// set, so that nothing of a desktop's theme, dark or light, shows through:
// not in the scroll bars, ＥＮＤ, the tooltips or the focus frames.
QPalette Application::light_palette()
{
    struct Row {
        QPalette::ColorRole role;
        QRgb normal; // active and inactive
        QRgb disabled;
    };
    QRgb const face = to_qcolor(face_colour).rgb();
    QRgb const text = to_qcolor(text_colour).rgb();
    QRgb const white = to_qcolor(window_colour).rgb();
    std::array<Row, QPalette::NColorRoles> const rows { {
        { QPalette::WindowText, text, 0xffbebebe },
        { QPalette::Button, face, face },
        { QPalette::Light, 0xffffffff, 0xffffffff },
        { QPalette::Midlight, 0xffcacaca, 0xffcacaca },
        { QPalette::Dark, 0xff9f9f9f, 0xffbebebe },
        { QPalette::Mid, 0xffb8b8b8, 0xffb8b8b8 },
        { QPalette::Text, text, 0xffbebebe },
        { QPalette::BrightText, 0xffffffff, 0xffffffff },
        { QPalette::ButtonText, text, 0xffbebebe },
        { QPalette::Base, 0xffffffff, face },
        { QPalette::Window, face, face },
        { QPalette::Shadow, 0xff767676, 0xffb1b1b1 },
        { QPalette::Highlight, 0xff308cc6, 0xff919191 },
        { QPalette::HighlightedText, white, white },
        { QPalette::Link, 0xff0000ff, 0xff0000ff },
        { QPalette::LinkVisited, 0xffff00ff, 0xffff00ff },
        { QPalette::AlternateBase, 0xfff7f7f7, 0xfff7f7f7 },
        { QPalette::NoRole, 0xff000000, 0xff000000 },
        { QPalette::ToolTipBase, 0xffffffdc, 0xffffffdc },
        { QPalette::ToolTipText, 0xff000000, 0xff000000 },
        { QPalette::PlaceholderText, 0x80000000, 0x80000000 },
    } };
    QPalette light;
    for (auto const& row : rows) {
        light.setColor(QPalette::Active, row.role, QColor::fromRgba(row.normal));
        light.setColor(QPalette::Inactive, row.role, QColor::fromRgba(row.normal));
        light.setColor(QPalette::Disabled, row.role, QColor::fromRgba(row.disabled));
    }
    light.setResolveMask(~QPalette::ResolveMask(0));
    return light;
}

}
