// The jump box of the playlist window (Ctrl+J or J): typing narrows the list to the rows whose
// title, artist, album or file name match; Enter plays the chosen match, Esc closes the box.
#pragma once

#include <QDialog>

#include <vector>

class PlaylistModel;
class QLineEdit;
class QListView;
class QTimer;
class JumpMatches;

class JumpBox : public QDialog {
    Q_OBJECT
public:
    JumpBox(PlaylistModel& playlist, QWidget* parent = nullptr);

    // Opens the box with the text typed so far selected, so typing starts a new search.
    void openBox();

    QLineEdit* queryEdit() const { return m_query; }
    QListView* matchList() const { return m_list; }
    // The rows (1-based) the query matches now, in list order.
    const std::vector<int>& matches() const;
    // The row the selected match names; the first match when none is selected; 0 when none.
    int chosenRow() const;

Q_SIGNALS:
    // Enter (or a double click) on a match: play row n.
    void rowChosen(int n);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refilter();
    void choose();

    PlaylistModel& m_playlist;
    QLineEdit* m_query = nullptr;
    QListView* m_list = nullptr;
    JumpMatches* m_matches = nullptr;
    QTimer* m_refresh = nullptr;
};
