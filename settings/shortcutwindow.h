// The "Short Path設定" window: the five folder shortcuts that the keys 1 to 5 open
// (old name "Form9").
#pragma once

#include <QDialog>

#include <array>

class QLineEdit;
class QPushButton;
struct AppState;

class ShortcutWindow : public QDialog {
    Q_OBJECT
public:
    // dialogOwner is the window the file dialog is centred on (the main window); null uses this.
    ShortcutWindow(AppState& state, QWidget* dialogOwner = nullptr, QWidget* parent = nullptr);

    // Fills the five fields from ShortPath; runs on every show, so unregistered edits are lost.
    void loadControls();
    // Lets the user pick an MP3 or playlist file for shortcut index (0..4).
    void browse(int index);
    void erase(int index);
    // Asks, then stores the five fields in Property.ini and ShortPath and closes ("登録").
    void registerShortcuts();

    // True for the names browsing accepts: an audio extension or ".m3u", in any case.
    static bool isShortcutFile(const QString& path);

protected:
    void showEvent(QShowEvent* event) override;

private:
    AppState& m_state;
    QWidget* m_dialogOwner;
    std::array<QLineEdit*, 5> m_pathFields{};     // Text1(0..4)
    std::array<QPushButton*, 5> m_browseButtons{}; // Command1(0..4)
    std::array<QPushButton*, 5> m_eraseButtons{};  // Command2(0..4)
    QPushButton* m_registerButton = nullptr;       // Command3(0)
    QPushButton* m_closeButton = nullptr;          // Command3(1)
};
