// The Qt tray host: one QSystemTrayIcon per icon number, created only where a tray exists.
#include "qttrayhost.h"

#include "plaintext.h"

#include <QCursor>
#include <QGuiApplication>
#include <QSystemTrayIcon>

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
    it->second.icon->showMessage(title, text,
                                 warning ? QSystemTrayIcon::Warning : QSystemTrayIcon::Information);
    return true;
}
