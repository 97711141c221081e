// The jump box: a query line over the list of matching rows.
#include "jumpbox.h"

#include "playlistmodel.h"

#include <QAbstractListModel>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QTimer>
#include <QVBoxLayout>

// The matching rows as the box lists them: "12. タイトル - アーティスト", or the file name while
// a row has no title.
class JumpMatches : public QAbstractListModel {
public:
    explicit JumpMatches(PlaylistModel& playlist, QObject* parent)
        : QAbstractListModel(parent), m_playlist(playlist)
    {
    }
    void setRows(std::vector<int> rows)
    {
        beginResetModel();
        m_rows = std::move(rows);
        endResetModel();
    }
    const std::vector<int>& rows() const { return m_rows; }
    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= rowCount() || role != Qt::DisplayRole)
            return {};
        const int n = m_rows[static_cast<size_t>(index.row())];
        const PlaylistRow& r = m_playlist.rowRef(n);
        QString text = r.title.isEmpty() ? r.text : r.title;
        if (!r.artist.isEmpty())
            text += QStringLiteral(" - ") + r.artist;
        return QStringLiteral("%1. %2").arg(n).arg(text);
    }

private:
    PlaylistModel& m_playlist;
    std::vector<int> m_rows;
};

JumpBox::JumpBox(PlaylistModel& playlist, QWidget* parent) : QDialog(parent), m_playlist(playlist)
{
    setObjectName(QStringLiteral("jumpBox"));
    setWindowTitle(QStringLiteral("曲へジャンプ"));
    resize(360, 300);
    m_query = new QLineEdit(this);
    m_query->setObjectName(QStringLiteral("jumpQuery"));
    m_query->setPlaceholderText(QStringLiteral("タイトル・アーティスト・アルバム・ファイル名"));
    m_query->installEventFilter(this);
    m_list = new QListView(this);
    m_list->setObjectName(QStringLiteral("jumpMatches"));
    m_list->setUniformItemSizes(true);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setFocusPolicy(Qt::NoFocus);
    m_matches = new JumpMatches(playlist, this);
    m_list->setModel(m_matches);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_query);
    layout->addWidget(m_list, 1);

    connect(m_query, &QLineEdit::textChanged, this, &JumpBox::refilter);
    connect(m_list, &QAbstractItemView::doubleClicked, this, &JumpBox::choose);
    // Rows added, moved or given their tags while the box is open: the matches follow soon.
    m_refresh = new QTimer(this);
    m_refresh->setSingleShot(true);
    m_refresh->setInterval(150);
    connect(m_refresh, &QTimer::timeout, this, [this] {
        if (isVisible())
            refilter();
    });
    // Not restarted by each change: tags arriving steadily must not hold the refresh off.
    auto later = [this] {
        if (!m_refresh->isActive())
            m_refresh->start();
    };
    connect(&playlist, &QAbstractItemModel::rowsInserted, this, later);
    connect(&playlist, &QAbstractItemModel::rowsRemoved, this, later);
    connect(&playlist, &QAbstractItemModel::rowsMoved, this, later);
    connect(&playlist, &QAbstractItemModel::layoutChanged, this, later);
    connect(&playlist, &QAbstractItemModel::modelReset, this, later);
    connect(&playlist, &QAbstractItemModel::dataChanged, this, later);
}

void JumpBox::openBox()
{
    refilter();
    show();
    raise();
    activateWindow();
    m_query->setFocus();
    m_query->selectAll();
}

const std::vector<int>& JumpBox::matches() const
{
    return m_matches->rows();
}

int JumpBox::chosenRow() const
{
    const QModelIndex current = m_list->currentIndex();
    const std::vector<int>& rows = matches();
    if (current.isValid() && current.row() < static_cast<int>(rows.size()))
        return rows[static_cast<size_t>(current.row())];
    return rows.empty() ? 0 : rows.front();
}

void JumpBox::refilter()
{
    const int before = chosenRow();
    m_matches->setRows(m_playlist.findRows(m_query->text()));
    // The chosen row stays chosen while it still matches; else the first match is.
    const std::vector<int>& rows = matches();
    // The caption counts the matches, so the user sees a search that finds nothing at once.
    setWindowTitle(
        QStringLiteral("曲へジャンプ - %1/%2曲").arg(rows.size()).arg(m_playlist.count()));
    const auto at = std::find(rows.begin(), rows.end(), before);
    const int select = at == rows.end() ? 0 : static_cast<int>(at - rows.begin());
    if (!rows.empty())
        m_list->setCurrentIndex(m_matches->index(select));
}

void JumpBox::choose()
{
    const int n = chosenRow();
    if (n == 0)
        return;
    hide();
    Q_EMIT rowChosen(n);
}

bool JumpBox::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_query && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            choose();
            return true;
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            // The arrows walk the matches while the typing goes on in the line.
            QCoreApplication::sendEvent(m_list, event);
            return true;
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}
