// Where notification-area icons go: the desktop's tray, or a recording double in tests.
#pragma once

#include <QIcon>
#include <QPoint>
#include <QString>

#include <functional>

class TrayHost {
public:
    virtual ~TrayHost() = default;
    virtual void add(int id, const QIcon& icon, const QString& tip) = 0;
    virtual void modify(int id, const QIcon& icon, const QString& tip) = 0;
    virtual void remove(int id) = 0;
    // A balloon message from icon id; false where the host cannot show one.
    virtual bool showMessage(int /*id*/, const QString& /*title*/, const QString& /*text*/,
                             bool /*warning*/)
    {
        return false;
    }

    // Set by the icon object: a mouse button was pressed on icon id at a global position.
    std::function<void(int id, Qt::MouseButton button, QPoint globalPos)> onPress;
    // Set by the icon object: icon id was double-clicked.
    std::function<void(int id)> onDoubleClick;
};
