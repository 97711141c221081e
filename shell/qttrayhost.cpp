// The Qt tray host: one QSystemTrayIcon per icon number, created only where a tray exists.
#include "qttrayhost.h"

#include "plaintext.h"

#include <QCursor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QSystemTrayIcon>

namespace {
// The longest each question to the session bus may hold the caller.
constexpr int kBusAnswerMs = 250;

QVariant askBus(const QString& service, const QString& path, const QString& interface,
                const QString& method, const QVariantList& arguments = {})
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return {};
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, method);
    call.setArguments(arguments);
    const QDBusMessage reply = bus.call(call, QDBus::Block, kBusAnswerMs);
    return reply.type() == QDBusMessage::ReplyMessage ? reply.arguments().value(0) : QVariant();
}

// Where the desktop's tray is a D-Bus one (a StatusNotifierWatcher with a host, as Qt decides),
// Qt sends a balloon as a notification, and a server that says it reads markup takes the
// body as markup: there a name from a file is escaped. Qt's own balloon shows plain text.
QString balloonBody(const QString& text)
{
    const QVariant host = askBus(
        QStringLiteral("org.kde.StatusNotifierWatcher"), QStringLiteral("/StatusNotifierWatcher"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
        {QStringLiteral("org.kde.StatusNotifierWatcher"),
         QStringLiteral("IsStatusNotifierHostRegistered")});
    if (!host.value<QDBusVariant>().variant().toBool())
        return text;
    const QStringList capabilities =
        askBus(QStringLiteral("org.freedesktop.Notifications"),
               QStringLiteral("/org/freedesktop/Notifications"),
               QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("GetCapabilities"))
            .toStringList();
    return capabilities.contains(QStringLiteral("body-markup")) ? text.toHtmlEscaped() : text;
}
} // namespace

QtTrayHost::QtTrayHost(QObject* parent) : QObject(parent) {}

QtTrayHost::~QtTrayHost()
{
    for (auto& [id, shown] : m_icons)
        delete shown.icon;
}

void QtTrayHost::show(int id, const QIcon& icon, const QString& tip)
{
    auto it = m_icons.find(id);
    if (it == m_icons.end()) {
        // A null icon would only earn a warning from Qt.
        if (icon.isNull())
            return;
        // On X11 the icon is made even while no tray exists: Qt docks it as soon as a tray
        // appears, and again after the panel restarts, whatever the player is doing meanwhile.
        // Elsewhere (offscreen) a missing tray never comes.
        if (!QSystemTrayIcon::isSystemTrayAvailable() &&
            QGuiApplication::platformName() != QLatin1String("xcb"))
            return;
        auto* trayIcon = new QSystemTrayIcon(icon);
        connect(trayIcon, &QSystemTrayIcon::activated, this,
                [this, id](QSystemTrayIcon::ActivationReason reason) {
                    if (reason == QSystemTrayIcon::DoubleClick) {
                        if (onDoubleClick)
                            onDoubleClick(id);
                        return;
                    }
                    Qt::MouseButton button = Qt::NoButton;
                    switch (reason) {
                    case QSystemTrayIcon::Context: button = Qt::RightButton; break;
                    case QSystemTrayIcon::Trigger: button = Qt::LeftButton; break;
                    case QSystemTrayIcon::MiddleClick: button = Qt::MiddleButton; break;
                    default: return;
                    }
                    if (onPress)
                        onPress(id, button, QCursor::pos());
                });
        trayIcon->setToolTip(PlainToolTip(tip));
        trayIcon->show();
        m_icons.emplace(id, Shown{trayIcon, icon.cacheKey(), tip});
        return;
    }
    Shown& shown = it->second;
    if (!icon.isNull() && icon.cacheKey() != shown.iconKey) {
        shown.icon->setIcon(icon);
        shown.iconKey = icon.cacheKey();
    }
    if (tip != shown.tip) {
        shown.icon->setToolTip(PlainToolTip(tip));
        shown.tip = tip;
    }
}

void QtTrayHost::add(int id, const QIcon& icon, const QString& tip) { show(id, icon, tip); }

void QtTrayHost::modify(int id, const QIcon& icon, const QString& tip) { show(id, icon, tip); }

void QtTrayHost::remove(int id)
{
    auto it = m_icons.find(id);
    if (it == m_icons.end())
        return;
    it->second.icon->hide();
    delete it->second.icon;
    m_icons.erase(it);
}

bool QtTrayHost::showMessage(int id, const QString& title, const QString& text, bool warning)
{
    auto it = m_icons.find(id);
    if (it == m_icons.end() || !it->second.icon || !it->second.icon->isVisible() ||
        !QSystemTrayIcon::isSystemTrayAvailable() || !QSystemTrayIcon::supportsMessages())
        return false;
    it->second.icon->showMessage(title, balloonBody(text),
                                 warning ? QSystemTrayIcon::Warning : QSystemTrayIcon::Information);
    return true;
}
