#include "ui/application.h"

#include "look/look.h"
#include "ui/accessibility.h"
#include "ui/widgets.h"

#include <QFontDatabase>
#include <QIconEngine>
#include <QImageReader>
#include <QPainter>
#include <QPalette>
#include <QStyleFactory>
#include <QToolTip>

#include <algorithm>
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

    // Qt's own icon engine decodes every file as it is added; this one holds
    // only the sizes and decodes one when it is asked for.
    class IconFiles final : public QIconEngine {
    public:
        QIconEngine* clone() const override { return new IconFiles; }
        QString key() const override { return QStringLiteral("tintora"); }

        QList<QSize> availableSizes(QIcon::Mode /*mode*/, QIcon::State /*state*/) override
        {
            QList<QSize> sizes;
            for (int const size : look::icon_sizes) {
                if (size <= look::largest_window_icon)
                    sizes.append(QSize(size, size));
            }
            return sizes;
        }

        QSize actualSize(QSize const& size, QIcon::Mode /*mode*/, QIcon::State /*state*/) override
        {
            return size.boundedTo(QSize(file_size(size), file_size(size)));
        }

        QPixmap pixmap(QSize const& size, QIcon::Mode /*mode*/, QIcon::State /*state*/) override
        {
            int const side = file_size(size);
            QImageReader reader(QStringLiteral(":/icons/tintora-%1.png").arg(side), "png");
            // The files are PNG: no plugin is asked whether it reads them.
            reader.setAutoDetectImageFormat(false);
            QSize const wanted = size.boundedTo(QSize(side, side));
            if (wanted != QSize(side, side))
                reader.setScaledSize(wanted);
            return QPixmap::fromImageReader(&reader);
        }

        void paint(QPainter* painter, QRect const& rect, QIcon::Mode mode, QIcon::State state) override
        {
            painter->drawPixmap(rect, pixmap(rect.size(), mode, state));
        }

    private:
        // The smallest file at least as large as the size asked for, or the largest.
        static int file_size(QSize const& size)
        {
            int const wanted = std::max(size.width(), size.height());
            auto const& sizes = look::icon_sizes;
            auto const fits
                = std::find_if(sizes.begin(), sizes.end(), [wanted](int side) { return side >= wanted; });
            return fits == sizes.end() ? sizes.back() : *fits;
        }
    };

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
    auto const shade = [](model::Colour colour) { return to_qcolor(colour).rgb(); };
    QRgb const face = shade(look::face_colour);
    QRgb const text = shade(look::text_colour);
    QRgb const white = shade(look::window_colour);
    auto const& edge = look::raised;
    std::array<Row, QPalette::NColorRoles> const rows { {
        { QPalette::WindowText, text, 0xffbebebe },
        { QPalette::Button, face, face },
        { QPalette::Light, shade(edge.outer_light), shade(edge.outer_light) },
        { QPalette::Midlight, shade(edge.inner_light), shade(edge.inner_light) },
        { QPalette::Dark, shade(edge.inner_dark), 0xffbebebe },
        { QPalette::Mid, 0xffb8b8b8, 0xffb8b8b8 },
        { QPalette::Text, text, 0xffbebebe },
        { QPalette::BrightText, 0xffffffff, 0xffffffff },
        { QPalette::ButtonText, text, 0xffbebebe },
        { QPalette::Base, 0xffffffff, face },
        { QPalette::Window, face, face },
        { QPalette::Shadow, shade(edge.outer_dark), 0xffb1b1b1 },
        { QPalette::Highlight, shade(look::focus_colour), 0xff919191 },
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

QIcon program_icon() { return QIcon(new IconFiles); }

}
