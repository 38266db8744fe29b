#include "ui/accessibility.h"

#include "look/spoken.h"
#include "ui/widgets.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>

namespace tintora::ui {

namespace {

    // Where Qt's bridge keeps its objects on the accessibility bus.
    constexpr char const* bridge_connection = "a11y";
    constexpr char const* object_path_prefix = "/org/a11y/atspi/accessible/";

    class LabelAccessible final : public QAccessibleWidget {
    public:
        explicit LabelAccessible(LabelWidget* label)
            : QAccessibleWidget(label, QAccessible::StaticText)
        {
        }

        QString text(QAccessible::Text kind) const override
        {
            if (kind != QAccessible::Name)
                return QAccessibleWidget::text(kind);
            auto const* label = static_cast<LabelWidget const*>(widget());
            return label->isHidden() ? QString() : spoken_caption(label->spoken_role(), label->text());
        }
    };

    class AnnouncerAccessible final : public QAccessibleWidget {
    public:
        explicit AnnouncerAccessible(Announcer* announcer)
            : QAccessibleWidget(announcer, QAccessible::Notification)
        {
        }

        QString text(QAccessible::Text kind) const override
        {
            if (kind == QAccessible::Name)
                return static_cast<Announcer const*>(widget())->sentence();
            return QAccessibleWidget::text(kind);
        }
    };

    QAccessibleInterface* window_interfaces(QString const& /*class_name*/, QObject* object)
    {
        if (auto* label = dynamic_cast<LabelWidget*>(object))
            return new LabelAccessible(label);
        if (auto* announcer = dynamic_cast<Announcer*>(object))
            return new AnnouncerAccessible(announcer);
        return nullptr;
    }

    // The reference (bus name, object path) that AT-SPI events carry.
    QDBusArgument object_reference(QString const& service, QString const& path)
    {
        QDBusArgument reference;
        reference.beginStructure();
        reference << service << QDBusObjectPath(path);
        reference.endStructure();
        return reference;
    }

}

void install_accessibility()
{
    static bool const installed = [] {
        QAccessible::installFactory(window_interfaces);
        return true;
    }();
    (void)installed;
}

void keep_accessibility_bridge_on()
{
    if (!qEnvironmentVariableIsSet("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"))
        qputenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
}

// Qt's bridge says "showing" when a widget is shown or hidden, but never
// "visible"; this sends the missing event on the bridge's own connection,
// in the form the bridge sends its others.
void tell_visibility(QWidget& widget, bool visible)
{
    if (!QAccessible::isActive())
        return;
    QAccessibleInterface* const iface = QAccessible::queryAccessibleInterface(&widget);
    if (iface == nullptr)
        return;
    QAccessibleEvent renamed(&widget, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&renamed);
    QDBusConnection bus(QString::fromLatin1(bridge_connection));
    if (!bus.isConnected())
        return;
    QString const path = QLatin1String(object_path_prefix) + QString::number(QAccessible::uniqueId(iface));
    QDBusMessage event = QDBusMessage::createSignal(
        path, QStringLiteral("org.a11y.atspi.Event.Object"), QStringLiteral("StateChanged"));
    event << QStringLiteral("visible") << (visible ? 1 : 0) << 0 << QVariant::fromValue(QDBusVariant(0))
          << QVariant::fromValue(
                 object_reference(bus.baseService(), QLatin1String(object_path_prefix) + "root"));
    bus.send(event);
}

Announcer::Announcer(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("Announcer"));
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setGeometry(0, 0, 1, 1);
    hide();
}

// Shown anew for every sentence: a screen reader speaks a notification when
// it comes to be shown.
void Announcer::announce(QString const& sentence)
{
    m_sentence = sentence;
    hide();
    show();
}

void Announcer::paintEvent(QPaintEvent* /*event*/) { }

QString spoken_caption(QString const& role, QString const& caption)
{
    return QString::fromStdString(look::spoken_caption(role.toStdString(), caption.toStdString()));
}

}
