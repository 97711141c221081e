// The desktop's notification area as a TrayHost, through QSystemTrayIcon.
#pragma once

#include "trayhost.h"

#include <QElapsedTimer>
#include <QObject>

#include <map>

class QSystemTrayIcon;

// The desktop's notification area through QSystemTrayIcon. Where there is no tray (offscreen,
// a bare X server) nothing is shown; an icon added meanwhile appears once a tray exists and the
// icon is next modified.
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
    // When the tray was last found missing; the check costs a round trip to the X server and
    // the tick asks for the icon fifty times a second.
    qint64 m_lastTrayCheckMs = -1;
    QElapsedTimer m_clock;
};
