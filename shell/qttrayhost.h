// The desktop's notification area as a TrayHost, through QSystemTrayIcon.
#pragma once

#include "trayhost.h"

#include <QObject>

#include <map>

class QSystemTrayIcon;

// The desktop's notification area through QSystemTrayIcon. An icon added while there is no tray
// (a panel that starts late or restarts) appears as soon as one exists.
class QtTrayHost : public QObject, public TrayHost {
    Q_OBJECT
public:
    explicit QtTrayHost(QObject* parent = nullptr);
    ~QtTrayHost() override;

    void add(int id, const QIcon& icon, const QString& tip) override;
    void modify(int id, const QIcon& icon, const QString& tip) override;
    void remove(int id) override;
    bool showMessage(int id, const QString& title, const QString& text, bool warning) override;

private:
    void show(int id, const QIcon& icon, const QString& tip);

    struct Shown {
        QSystemTrayIcon* icon = nullptr;
        qint64 iconKey = 0;
        QString tip;
    };
    std::map<int, Shown> m_icons;
};
