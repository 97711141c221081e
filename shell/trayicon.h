// The program's notification-area icons ("cTrayIcon"): a picture, tooltip and visibility per
// icon number, and mouse presses on any icon turned into one signal of the owner.
#pragma once

#include <QIcon>
#include <QObject>
#include <QPoint>
#include <QString>

#include <memory>
#include <vector>

class TrayHost;

class cTrayIcon : public QObject {
    Q_OBJECT
public:
    // Without a host the desktop's notification area is used.
    explicit cTrayIcon(QObject* parent = nullptr);
    cTrayIcon(std::unique_ptr<TrayHost> host, QObject* parent = nullptr);
    ~cTrayIcon() override;

    // The icon the per-icon properties refer to. Writing a number beyond the highest one grows
    // the icon table, keeping every icon's settings; negative numbers are ignored.
    int Index() const { return m_index; }
    void setIndex(int New_Index);
    int iconCount() const { return static_cast<int>(m_icons.size()); }

    // Writing the picture of a registered icon updates the tray at once.
    QIcon Picture() const { return current().picture; }
    void setPicture(const QIcon& New_Picture);
    // Stored only; it reaches the tray with the next Visible or Picture write. Cut to what a
    // 63-byte Shift-JIS tip holds, never inside a character.
    QString Tip() const { return current().tip; }
    void setTip(const QString& New_Tip);
    // Shows (or shows again, with the current picture and tip) or removes the icon.
    bool Visible() const { return current().visible; }
    void setVisible(bool New_Visible);
    // Removes every visible icon; Index is the highest icon number afterwards.
    void AllHide();
    // A balloon message from the first icon; false where the desktop cannot show one.
    bool showMessage(const QString& title, const QString& text, bool warning);
    // Number of the icon that raised the last mouse press; -1 when none matched.
    int EventIndex() const { return m_eventIndex; }
    bool isRegistered(int index) const;

    // A mouse button went down on icon index (the host's report, or a test's).
    void pressOn(int index, Qt::MouseButton button, const QPoint& globalPos);
    // Icon index was double-clicked.
    void doubleClickOn(int index);

    // The longest tip the tray takes, in Shift-JIS bytes before the terminating NUL.
    static constexpr int kMaxTipBytes = 63;
    static QString cutTip(const QString& tip);

Q_SIGNALS:
    void mouseDown(Qt::MouseButton button, const QPoint& globalPos);
    void doubleClicked();

private:
    struct Icon {
        QIcon picture;
        QString tip;
        bool visible = false;
        bool added = false;
    };
    const Icon& current() const { return m_icons[static_cast<size_t>(m_index)]; }
    Icon& current() { return m_icons[static_cast<size_t>(m_index)]; }
    void update();

    std::unique_ptr<TrayHost> m_host;
    std::vector<Icon> m_icons{1};
    int m_index = 0;
    int m_eventIndex = -1;
    // The tick sets the same tip again and again: the last one given and its cut form.
    QString m_tipGiven;
    QString m_tipCut;
};
