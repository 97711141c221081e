// The document viewer ("Document", once "Form11"): the ".txt" document kept beside the current
// playlist entry.
#pragma once

#include <QMainWindow>
#include <QSize>

class PlaylistModel;
class QTextBrowser;
struct AppState;

// The viewer never gets narrower or lower than 200 pixels: a smaller side snaps to 250.
QSize SnapDocumentSize(const QSize& size);

// What the viewer shows when there is no document.
QString NoDocumentText();

class DocumentWindow : public QMainWindow {
    Q_OBJECT
public:
    DocumentWindow(AppState& state, PlaylistModel& playlist, QWidget* parent = nullptr);

    // Larger documents are shown only up to this size.
    static constexpr qint64 kMaxDocumentBytes = 16 * 1024 * 1024;

    void showWindow();
    // Shows the document of the current playlist entry, or the no-document text.
    void SetDocument();

    QTextBrowser* view() const { return m_view; }

Q_SIGNALS:
    void closed();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    AppState& m_state;
    PlaylistModel& m_playlist;
    QTextBrowser* m_view = nullptr;
};
