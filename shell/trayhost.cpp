// The Qt tray host: one QSystemTrayIcon per icon number, created only where a tray exists.
#include "trayhost.h"

#include <QCursor>
#include <QSystemTrayIcon>

QtTrayHost::QtTrayHost(QObject* parent) : QObject(parent) {}

QtTrayHost::~QtTrayHost()
{
    for (auto& [id, icon] : m_icons)
        delete icon;
}

void QtTrayHost::show(int id, const QIcon& icon, const QString& tip)
{
    auto it = m_icons.find(id);
    if (it == m_icons.end()) {
        // A null icon would only earn a warning from Qt, and without a tray nothing can show.
        if (icon.isNull() || !QSystemTrayIcon::isSystemTrayAvailable())
            return;
        auto* trayIcon = new QSystemTrayIcon(icon);
        connect(trayIcon, &QSystemTrayIcon::activated, this,
                [this, id](QSystemTrayIcon::ActivationReason reason) {
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
        it = m_icons.emplace(id, trayIcon).first;
    }
    if (!icon.isNull())
        it->second->setIcon(icon);
    it->second->setToolTip(tip);
    it->second->show();
}

void QtTrayHost::add(int id, const QIcon& icon, const QString& tip) { show(id, icon, tip); }

void QtTrayHost::modify(int id, const QIcon& icon, const QString& tip) { show(id, icon, tip); }

void QtTrayHost::remove(int id)
{
    auto it = m_icons.find(id);
    if (it == m_icons.end())
        return;
    it->second->hide();
    delete it->second;
    m_icons.erase(it);
}
