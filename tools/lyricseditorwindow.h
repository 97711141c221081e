// The lyrics editor ("Lyrics Editer", once "Form12"): a table of time-stamped lyric lines for the
// loaded track, stamped while it plays and saved as the track's ".lrc" file, into the track's
// tag, or both (the user's choice, kept in Property.ini).
#pragma once

#include <QWidget>

#include <array>
#include <optional>
#include <vector>

#include "lyricsfile.h"

class Engine;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTableWidget;
struct AppState;

class LyricsEditorWindow : public QWidget {
    Q_OBJECT
public:
    LyricsEditorWindow(AppState& state, Engine& engine, QWidget* parent = nullptr);

    // Where 保存 writes, in the order of the choice box. An .lrc beside the track is shown in
    // its place when the track plays, so one that exists is rewritten with the tag too.
    enum SaveTarget { SaveToFile = 0, SaveToTag = 1, SaveToBoth = 2 };

    // Opens the window bound to the loaded track, with its lyrics file loaded when the engine
    // accepted one (else the tag's lyrics) and the remembered save target; sets LyricsEditOpen.
    void showWindow();

    // The main timer tick calls this while LyricsEditOpen: the play-time tag, or a notice when
    // another track than the bound one is loaded.
    void updateClock();

    // Fills the table from the loaded track's lyrics file as it is on disk now. A file
    // that cannot be read is reported and leaves the table as it was; returns false then.
    bool LoadLyrics();
    // Writes the table to the bound track's lyrics file, its tag or both, as chosen; reports and
    // returns false on failure.
    bool SaveLyrics();
    // Shows the in-place editor over the current cell.
    void SetTextBox();

    // The buttons: refresh, save, close (asking), insert time.
    void refresh();
    void save();
    void closeAsking();
    void insertTime();
    // The context menu: empty the current cell; insert an empty row at the current row.
    void deleteCell();
    void insertRow();

    // The table's rows, 0-based (row 0 is the first lyric line).
    std::vector<LyricsRow> rows() const;
    void setRows(const std::vector<LyricsRow>& rows);
    bool isModified() const { return m_modified; }

    QTableWidget* table() const { return m_table; }
    QLineEdit* editor() const { return m_editor; }
    QLabel* clockLabel() const { return m_clock; }
    QLabel* boundLabel() const { return m_bound; }
    QPushButton* button(int index) const { return m_buttons[index]; }
    QMenu* popupMenu() const { return m_popup; }
    QComboBox* saveTargetBox() const { return m_saveTarget; }

Q_SIGNALS:
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void bindTo(const QString& track);
    void clearTable();
    // True when the table holds edits made since the last load or save.
    bool hasUnsavedLines() const;
    // The bound track's lyrics file.
    QString lyricsPath() const;
    // What a save writes, for the questions: the file's path, the track's (its tag) or both.
    QString saveTargetText() const;
    bool saveIntoTag();
    // Offers to save unsaved edits; false when the window must stay open (Cancel, failed save).
    bool askToSaveBeforeClosing();
    void placeEditor(); // lays the edit box over the current cell
    // The rows of the loaded track's lyrics file; empty when the engine accepted none; nothing
    // (after a message) when the file cannot be read.
    std::optional<std::vector<LyricsRow>> readLyrics();
    QString cellText(int row, int column) const;
    void setCellText(int row, int column, const QString& text);
    void editorKey(int key);

    AppState& m_state;
    Engine& m_engine;
    QTableWidget* m_table = nullptr;
    QLineEdit* m_editor = nullptr;
    QLabel* m_clock = nullptr;
    QLabel* m_bound = nullptr;
    QString m_boundPath; // the track the lines belong to (m_bound shows it readably)
    std::array<QPushButton*, 4> m_buttons{};
    QMenu* m_popup = nullptr;
    QComboBox* m_saveTarget = nullptr;
    bool m_modified = false;
    bool m_filling = false;
};
