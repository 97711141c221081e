// Where notification-area icons go: the desktop's tray, or a recording double in tests.
#pragma once

#include <QIcon>
#include <QObject>
#include <QPoint>
#include <QString>

#include <functional>
#include <map>

class QSystemTrayIcon;

class TrayHost {
public:
    virtual ~TrayHost() = default;
    virtual void add(int id, const QIcon& icon, const QString& tip) = 0;
    virtual void modify(int id, const QIcon& icon, const QString& tip) = 0;
    virtual void remove(int id) = 0;

    // Set by the icon object: a mouse button was pressed on icon id at a global position.
    std::function<void(int id, Qt::MouseButton button, QPoint globalPos)> onPress;
};

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

private:
    void show(int id, const QIcon& icon, const QString& tip);

    std::map<int, QSystemTrayIcon*> m_icons;
};
