// The "Window" settings dialog: display options, engine load settings, title scroll speed and
// the file-type association (old name "Form3").
#pragma once

#include <QDialog>

#include <array>

class AppActions;
class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class ReplayGainPage;
class QPushButton;
class QScrollBar;
class QTabWidget;
class QTextBrowser;
struct AppState;

// The address shown on the third tab as the place of the latest news; empty shows no address.
inline const QString kProjectPageUrl;

class SettingsWindow : public QDialog {
    Q_OBJECT
public:
    SettingsWindow(AppState& state, AppActions& actions, QWidget* parent = nullptr);

    // Fills the controls from the program-wide state and Property.ini ("Form_Load"); runs on
    // every show, so changes not applied are dropped.
    void loadControls();
    // Stores the controls in the state and Property.ini, updates the file association and
    // closes the window ("適用").
    void apply();
    // Puts the shipped load settings into the four fields; nothing is stored until apply.
    void restoreDefaults();
    // Starts the desktop's volume mixer, or says that none was found.
    void startMixer();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* buildFirstTab();
    QWidget* buildSecondTab();
    QWidget* buildThirdTab();
    void loadDocument();

    AppState& m_state;
    AppActions& m_actions;

    QTabWidget* m_tabs = nullptr;
    QCheckBox* m_alwaysTop = nullptr;       // Check1
    QButtonGroup* m_startPosition = nullptr; // Option1
    QButtonGroup* m_osiroType = nullptr;     // Option2
    QButtonGroup* m_expressType = nullptr;   // Option3
    QButtonGroup* m_speAnaType = nullptr;    // Option4
    QCheckBox* m_starDust = nullptr;        // Check2
    QCheckBox* m_association = nullptr;     // Check3
    QPushButton* m_mixerButton = nullptr;   // Command2
    std::array<QLineEdit*, 4> m_loadFields{}; // Text1(0..3)
    QPushButton* m_defaultsButton = nullptr; // Command3
    QCheckBox* m_relativeVolume = nullptr;  // Check8
    QCheckBox* m_menuAnimation = nullptr;   // Check4
    QCheckBox* m_drawBest = nullptr;        // Check5
    QCheckBox* m_trayAnimation = nullptr;   // Check6
    QCheckBox* m_lyricsFade = nullptr;      // Check7
    QScrollBar* m_scrollSpeed = nullptr;    // HScroll1
    QTextBrowser* m_document = nullptr;     // RichTextBox1
    QLabel* m_pageNote = nullptr;           // Label5
    QLabel* m_pageLink = nullptr;           // Label3
    QPushButton* m_applyButton = nullptr;   // Command1(0)
    QPushButton* m_closeButton = nullptr;   // Command1(1)
    ReplayGainPage* m_replayGain = nullptr;
};
