// The tag editor ("Tag Infomation", once "Form5"): shows and writes the tag of the loaded track
// in its format's own kind and shows its stream information. The 256-entry genre list belongs
// to MP3's ID3 tags; every other format takes a genre as free text.
#pragma once

#include <QWidget>

#include <array>

#include "engine/engine.h"
#include "tagtext.h"

class QComboBox;
class QCompleter;
class QLabel;
class QLineEdit;
class QPushButton;
struct AppState;
class TrackOps;

class TagEditorWindow : public QWidget {
    Q_OBJECT
public:
    // engineCallback is the program's engine notification procedure, registered again after the
    // engine has been re-initialised.
    TagEditorWindow(AppState& state, Engine& engine, TrackOps& trackOps,
                    Engine::Callback engineCallback, QWidget* parent = nullptr);

    // Opens the window: reads the tag of the loaded track and shows it.
    void showWindow();

    // Re-opens the loaded track in the engine (keeping playback and position) and fills every
    // control from what the engine reports.
    void GetTag();
    // Has the engine write the controls' contents into the shown track's tag.
    void SetTag();
    // The write button: asks first, then SetTag.
    void confirmAndWrite();

    // The genre the combo box selects: its list position, -1 when the text names no entry.
    int selectedGenre() const;

    // 0 title, 1 artist, 2 album, 3 year, 4 comment
    QLineEdit* fieldBox(int index) const { return m_fields[index]; }
    QComboBox* genreBox() const { return m_genre; }
    QLineEdit* trackBox() const { return m_track; }
    // True while the shown track is MP3 (genre from the ID3 list).
    bool genreIsListed() const { return m_id3; }
    QLabel* pathLabel() const { return m_path; }
    QLabel* mpegLabel(MpegLabel label) const { return m_mpeg[static_cast<int>(label)]; }
    QPushButton* button(int index) const { return m_buttons[index]; } // write, close, refresh
    // The encoding the track's legacy 8-bit text is read in: automatic, Shift-JIS, EUC-JP,
    // Western, UTF-8. A choice re-reads the five text fields from the file at once; writing
    // stores them as Unicode.
    QComboBox* encodingBox() const { return m_encoding; }
    // fill false: only the encoding found is shown.
    void rereadText(int encodingIndex, bool fill = true);

Q_SIGNALS:
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void completeGenre(const QString& typed);
    // Gives the genre box the list (MP3) or makes it free text (every other format).
    void setGenreListed(bool listed);
    // The stream labels from TagLib's view of a file that is not MP3.
    void showStreamFacts(const std::string& path);

    bool m_keyInserts = false; // the key being handled types a character

    AppState& m_state;
    Engine& m_engine;
    TrackOps& m_trackOps;
    Engine::Callback m_engineCallback;

    std::array<QLineEdit*, 5> m_fields{};
    QComboBox* m_genre = nullptr;
    QLineEdit* m_track = nullptr;
    bool m_id3 = true;
    QLabel* m_streamHeading = nullptr;
    QComboBox* m_encoding = nullptr;
    QLabel* m_encodingUsed = nullptr;
    QCompleter* m_genreList = nullptr; // the drop-down shown while typing
    QLabel* m_path = nullptr;
    std::array<QLabel*, kMpegLabelCount> m_mpeg{};
    std::array<QPushButton*, 3> m_buttons{};
};
