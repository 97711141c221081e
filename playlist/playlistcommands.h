// The playlist window's commands on its rows: deleting, deleting everything, moving a row,
// file information, help and hiding the window.
#pragma once

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QString>

class FileInfoWindow;
struct StreamFacts;
class PlaylistWindow;
class QWidget;

// The attribute value of a file as the file information shows it: 16 folder, 2 hidden (the
// name begins with "."), 1 read-only (no write permission), 0 none of them; the values add up
// when several apply. -1 when the file does not exist.
int FileAttributes(const QString& path);
// The text for an attribute value; combinations and unknown values give "".
QString AttributeText(int attributes);
// The five lines of the file information: name, path, size, last-modified date and attributes.
// A missing file shows no date and no attribute text. They are followed by the stream's facts
// (StreamFactsText) when the file is audio TagLib can read.
QString FileInfoText(const QString& rowText, const QString& path, const QString& sizeText);
// "<形式>FLAC 24bit 96000Hz ｽﾃﾚｵ 2345kbps", and "<ｴﾝｺｰﾀﾞ>..." on a second line when tagged.
QString StreamFactsText(const StreamFacts& facts);
// A date and time in the system's short date format followed by the time with seconds.
QString GeneralDateText(const QDateTime& when);

// Opens DataDir()/help/index.html in the desktop's browser; tells the user when it cannot.
void OpenHelp(QWidget* parent);

class PlaylistCommands : public QObject {
    Q_OBJECT
public:
    // Watches the window's list view for the Delete key.
    explicit PlaylistCommands(PlaylistWindow& window);
    ~PlaylistCommands() override;

    // Removes every selected row, from the bottom up, then rebuilds List1.
    void DeleteItem();
    // The Delete key: DeleteItem, then the row that moved into the first gap is selected.
    void deleteKey();
    // Asks, then removes every row; playback goes on.
    void DeleteAllItems();
    // Shows the file information window for the first selected row.
    void showFileInfo();
    // Moves the one selected row down or up, keeping the current-track mark on its track.
    void moveDown();
    void moveUp();
    void help();
    // "Hide": ListVisible false and the window hidden; its rows stay.
    void hideWindow();

    // The lowest row the last DeleteItem removed; 0 before any.
    int LastDeleted() const { return m_lastDeleted; }
    FileInfoWindow* fileInfoWindow() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void move(int step);

    PlaylistWindow& m_window;
    // Kept apart from the window: filtered events still arrive while the window is destroyed.
    QObject* m_windowObject = nullptr;
    QPointer<QObject> m_view;
    int m_lastDeleted = 0;
    QPointer<FileInfoWindow> m_fileInfo;
};
