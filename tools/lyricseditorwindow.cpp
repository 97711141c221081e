// The lyrics editor window: the table, its in-place editor and the file commands.
#include "lyricseditorwindow.h"

#include "shell/pathbytes.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include "engine/engine.h"
#include "engine/lyrics/taglyrics.h"
#include "settings/ini.h"
#include "shell/apppaths.h"
#include "shell/messagebox.h"
#include "state/appstate.h"
#include "textfile.h"

namespace {
const QString kOtherFileNotice = QStringLiteral("現在別ファイルが開かれています。");
const QString kSaveCaption = QStringLiteral("歌詞の保存");
// Column widths of the old grid (1000 and 5500 twips) in pixels; the time column grows to show a
// whole tag in the font at hand.
constexpr int kTimeColumnWidth = 67;
constexpr int kTextColumnWidth = 367;

// The remembered save target in Property.ini.
const QString kTargetSection = QStringLiteral("Lyrics");
const QString kTargetKey = QStringLiteral("SaveTo");

// Far more than 999 lines need; a huge file cannot exhaust memory.
constexpr qint64 kMaxLyricsFileBytes = 4 * 1024 * 1024;

int timeColumnWidth(const QWidget* table)
{
    return qMax(kTimeColumnWidth,
                table->fontMetrics().horizontalAdvance(QStringLiteral("[00:00:00]")) + 14);
}
} // namespace

LyricsEditorWindow::LyricsEditorWindow(AppState& state, Engine& engine, QWidget* parent)
    : QWidget(parent, Qt::Window), m_state(state), m_engine(engine)
{
    setWindowTitle(QStringLiteral("Lyrics Editer"));

    m_clock = new QLabel;
    m_bound = new QLabel;
    m_bound->setTextFormat(Qt::PlainText);
    m_bound->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* hint = new QLabel(
        QStringLiteral("セルに時間が記入されていない場合はそのセル以降のデータは無視されます。"));
    hint->setWordWrap(true);

    m_table = new QTableWidget(kLyricsRows, 2);
    // The cells, their row numbers and the edit box in one font, so the text does not jump when
    // the box opens; the numbers stand right-aligned like numbers.
    m_table->setFont(QFont(QStringLiteral("ＭＳ Ｐゴシック"), m_table->font().pointSize()));
    m_table->verticalHeader()->setDefaultAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setContextMenuPolicy(Qt::CustomContextMenu);
    m_table->setColumnWidth(0, timeColumnWidth(m_table));
    m_table->setColumnWidth(1, kTextColumnWidth);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    clearTable();

    m_editor = new QLineEdit(m_table->viewport());
    m_editor->setFont(m_table->font());
    m_editor->hide();
    m_editor->installEventFilter(this);
    connect(m_editor, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (m_filling || m_table->currentRow() < 0)
            return;
        // The box writes through to its cell on every change; there is no commit step.
        setCellText(m_table->currentRow(), qMax(0, m_table->currentColumn()), text);
    });
    connect(m_editor, &QLineEdit::textEdited, this, [this] { m_modified = true; });

    m_table->installEventFilter(this);
    m_table->viewport()->installEventFilter(this);
    connect(m_table, &QTableWidget::cellDoubleClicked, this, [this] { SetTextBox(); });
    // The box follows its cell when the table scrolls, without scrolling it back.
    auto follow = [this] {
        if (m_editor->isVisible() && m_table->currentRow() >= 0)
            placeEditor();
    };
    connect(m_table->verticalScrollBar(), &QScrollBar::valueChanged, this, follow);
    connect(m_table->horizontalScrollBar(), &QScrollBar::valueChanged, this, follow);

    m_popup = new QMenu(this);
    connect(m_popup->addAction(QStringLiteral("削除(&D)")), &QAction::triggered, this,
            &LyricsEditorWindow::deleteCell);
    connect(m_popup->addAction(QStringLiteral("行の挿入(&I)")), &QAction::triggered, this,
            &LyricsEditorWindow::insertRow);
    connect(m_table, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { m_popup->popup(m_table->viewport()->mapToGlobal(pos)); });

    m_saveTarget = new QComboBox;
    m_saveTarget->addItems({QStringLiteral("歌詞ファイル (.lrc)"), QStringLiteral("曲のタグ"),
                            QStringLiteral("歌詞ファイルと曲のタグ")});
    m_saveTarget->setFocusPolicy(Qt::NoFocus);
    connect(m_saveTarget, &QComboBox::activated, this, [](int index) {
        WriteIni(kTargetSection, kTargetKey, QString::number(index), PropertyIniPath());
    });
    auto* target = new QHBoxLayout;
    target->addWidget(new QLabel(QStringLiteral("保存先:")));
    target->addWidget(m_saveTarget, 1);

    static const char* const kButtonCaptions[] = {"最新情報", "保存", "閉じる", "時間挿入"};
    auto* buttons = new QHBoxLayout;
    for (int i = 0; i < 4; ++i) {
        m_buttons[i] = new QPushButton(QString::fromUtf8(kButtonCaptions[i]));
        m_buttons[i]->setFocusPolicy(Qt::NoFocus); // stamping must not pull focus off the box
        buttons->addWidget(m_buttons[i]);
    }
    connect(m_buttons[0], &QPushButton::clicked, this, &LyricsEditorWindow::refresh);
    connect(m_buttons[1], &QPushButton::clicked, this, &LyricsEditorWindow::save);
    connect(m_buttons[2], &QPushButton::clicked, this, &LyricsEditorWindow::closeAsking);
    connect(m_buttons[3], &QPushButton::clicked, this, &LyricsEditorWindow::insertTime);

    auto* outer = new QVBoxLayout(this);
    outer->addWidget(m_clock);
    outer->addWidget(m_bound);
    outer->addWidget(m_table, 1);
    outer->addWidget(hint);
    outer->addLayout(target);
    outer->addLayout(buttons);
    resize(520, 420);
}

void LyricsEditorWindow::showWindow()
{
    // Showing an open window only brings it forward; its load runs once per opening.
    if (isVisible()) {
        raise();
        activateWindow();
        return;
    }
    m_state.LyricsEditOpen = true;
    bool ok = false;
    const int target =
        ReadIni(kTargetSection, kTargetKey, 50, PropertyIniPath()).trimmed().toInt(&ok);
    m_saveTarget->setCurrentIndex(ok && target >= SaveToFile && target <= SaveToBoth ? target
                                                                                     : SaveToFile);
    clearTable();
    bindTo(m_state.CurrentFile);
    LoadLyrics();
    show();
    raise();
    activateWindow();
}

void LyricsEditorWindow::updateClock()
{
    if (m_boundPath != m_state.CurrentFile) {
        m_clock->setText(kOtherFileNotice);
        return;
    }
    m_clock->setText(FormatTimeTag(m_engine.getPlayMs()));
}

void LyricsEditorWindow::clearTable()
{
    if (m_editor)
        m_editor->hide();
    m_table->clearContents();
    m_table->setHorizontalHeaderLabels({QStringLiteral("再生時間"), QStringLiteral("歌詞")});
    m_table->setColumnWidth(0, timeColumnWidth(m_table));
    m_table->setColumnWidth(1, kTextColumnWidth);
    m_table->setCurrentCell(-1, -1);
    m_modified = false;
}

QString LyricsEditorWindow::cellText(int row, int column) const
{
    const QTableWidgetItem* item = m_table->item(row, column);
    return item ? item->text() : QString();
}

void LyricsEditorWindow::setCellText(int row, int column, const QString& text)
{
    if (QTableWidgetItem* item = m_table->item(row, column))
        item->setText(text);
    else if (!text.isEmpty())
        m_table->setItem(row, column, new QTableWidgetItem(text));
}

std::vector<LyricsRow> LyricsEditorWindow::rows() const
{
    std::vector<LyricsRow> out(kLyricsRows);
    for (int r = 0; r < kLyricsRows; ++r)
        out[r] = {cellText(r, 0), cellText(r, 1)};
    return out;
}

void LyricsEditorWindow::setRows(const std::vector<LyricsRow>& newRows)
{
    for (int r = 0; r < kLyricsRows; ++r) {
        const LyricsRow row = r < static_cast<int>(newRows.size()) ? newRows[r] : LyricsRow{};
        setCellText(r, 0, row.time);
        setCellText(r, 1, row.text);
    }
    m_modified = true;
}

namespace {
// The rows the track's tag gives when no .lrc lies beside it: timed lines (SYLT, or a text with
// stamps) with their stamps, an unsynchronised text line by line with the time cells empty, so
// the user stamps them.
std::vector<LyricsRow> tagLyricsRows(const QString& track)
{
    TagLyrics found = ReadTagLyrics(PathBytes(track).toStdString());
    std::vector<LyricsRow> rows;
    if (!found.synced.empty()) {
        Lyrics timed;
        timed.setLines(std::move(found.synced));
        for (const auto& line : timed.lines())
            rows.push_back({FormatTimeTag(line.timeMs), QString::fromStdString(line.text)});
    } else {
        // Stamped lines take their stamp; the others (a text not yet timed, or partly) stay as
        // rows with an empty time cell, so saving back into the tag loses none of them.
        const QString text = QString::fromStdString(found.text);
        static const QRegularExpression kLineEnds(QStringLiteral("\\r\\n|\\r|\\n"));
        for (const QString& line : text.split(kLineEnds)) {
            const std::vector<LyricsRow> stamped = ParseLyricsText(line);
            rows.push_back(stamped.empty() ? LyricsRow{QString(), line} : stamped.front());
            if (rows.size() == static_cast<size_t>(kLyricsRows))
                break;
        }
        while (!rows.empty() && rows.back().time.isEmpty() && rows.back().text.trimmed().isEmpty())
            rows.pop_back();
    }
    if (rows.size() > static_cast<size_t>(kLyricsRows))
        rows.resize(kLyricsRows);
    return rows;
}
} // namespace

std::optional<std::vector<LyricsRow>> LyricsEditorWindow::readLyrics()
{
    // The file on disk, not the engine's view of it at load time: lyrics saved here since the
    // track was loaded must come back when the editor opens again.
    const QString name = CompanionPath(m_state.CurrentFile, QStringLiteral(".lrc"));
    if (m_state.CurrentFile.isEmpty())
        return std::vector<LyricsRow>{};
    // Without a file beside the track its tag's lyrics are the starting text.
    if (!PathExists(name)) {
        std::vector<LyricsRow> fromTag = tagLyricsRows(m_state.CurrentFile);
        if (!fromTag.empty() || !m_state.LyricsLoaded)
            return fromTag;
    }
    QString text;
    QString error;
    if (!ReadTextFile(name, text, error, kMaxLyricsFileBytes)) {
        ShowMessage(this,
                    QStringLiteral("歌詞ファイルを読み込めませんでした。\n%1\n%2")
                        .arg(PathDisplay(name), error),
                    kAppTitle, QMessageBox::Critical);
        return std::nullopt;
    }
    return ParseLyricsText(text);
}

bool LyricsEditorWindow::LoadLyrics()
{
    auto loaded = readLyrics();
    if (!loaded)
        return false;
    for (int r = 0; r < static_cast<int>(loaded->size()); ++r) {
        setCellText(r, 0, (*loaded)[r].time);
        setCellText(r, 1, (*loaded)[r].text);
    }
    m_modified = false;
    return true;
}

bool LyricsEditorWindow::SaveLyrics()
{
    const int target = m_saveTarget->currentIndex();
    const QString name = lyricsPath();
    if (target != SaveToFile && !saveIntoTag())
        return false;
    if (target == SaveToTag && !PathExists(name)) {
        m_modified = false;
        return true;
    }
    QString error;
    if (!WriteFileSafely(name, FormatLyricsFile(rows()), error)) {
        ShowMessage(this,
                    QStringLiteral("歌詞ファイルを保存できませんでした。\n%1\n%2")
                        .arg(PathDisplay(name), error),
                    kAppTitle, QMessageBox::Critical);
        return false;
    }
    m_modified = false;
    return true;
}

bool LyricsEditorWindow::saveIntoTag()
{
    std::string error;
    if (WriteTagLyrics(PathBytes(m_boundPath).toStdString(), FormatTagLyrics(rows()).toStdString(),
                       error))
        return true;
    ShowMessage(this,
                QStringLiteral("歌詞を曲のタグに保存できませんでした。\n%1\n%2")
                    .arg(PathDisplay(m_boundPath), QString::fromStdString(error)),
                kAppTitle, QMessageBox::Critical);
    return false;
}

QString LyricsEditorWindow::saveTargetText() const
{
    const QString tag = PathDisplay(m_boundPath) + QStringLiteral(" (曲のタグ)");
    switch (m_saveTarget->currentIndex()) {
    case SaveToTag:
        return tag;
    case SaveToBoth:
        return PathDisplay(lyricsPath()) + QLatin1Char('\n') + tag;
    default:
        return PathDisplay(lyricsPath());
    }
}

void LyricsEditorWindow::SetTextBox()
{
    const int row = m_table->currentRow();
    if (row < 0)
        return;
    const int column = qMax(0, m_table->currentColumn());
    m_table->scrollTo(m_table->model()->index(row, column));
    placeEditor();
    m_filling = true;
    m_editor->setText(cellText(row, column));
    m_filling = false;
    m_editor->show();
    m_editor->setFocus();
}

void LyricsEditorWindow::placeEditor()
{
    const QModelIndex current =
        m_table->model()->index(m_table->currentRow(), qMax(0, m_table->currentColumn()));
    const QRect cell = m_table->visualRect(current);
    m_editor->setGeometry(cell.left(), cell.top(), cell.width() - 2, cell.height() - 2);
}

void LyricsEditorWindow::refresh()
{
    if (hasUnsavedLines()) {
        auto answer = ShowMessage(
            this, QStringLiteral("情報を更新する前に歌詞を保存しますか？\n") + saveTargetText(),
            kSaveCaption, QMessageBox::Question,
            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Cancel);
        if (answer == QMessageBox::Cancel)
            return;
        // A failed save keeps the edits on screen rather than clearing them away.
        if (answer == QMessageBox::Yes && !SaveLyrics())
            return;
    }
    auto loaded = readLyrics();
    if (!loaded)
        return;
    clearTable();
    bindTo(m_state.CurrentFile);
    setRows(*loaded);
    m_modified = false;
}

void LyricsEditorWindow::save()
{
    if (!m_boundPath.isEmpty())
        SaveLyrics();
}

bool LyricsEditorWindow::hasUnsavedLines() const
{
    return m_modified && !m_boundPath.isEmpty();
}

void LyricsEditorWindow::bindTo(const QString& track)
{
    m_boundPath = track;
    m_bound->setText(PathDisplay(track));
}

QString LyricsEditorWindow::lyricsPath() const
{
    return CompanionPath(m_boundPath, QStringLiteral(".lrc"));
}

bool LyricsEditorWindow::askToSaveBeforeClosing()
{
    if (!hasUnsavedLines())
        return true;
    // Enter must neither overwrite the file nor drop the edits: the default is Cancel.
    auto answer =
        ShowMessage(this, QStringLiteral("歌詞を下記のように保存しますか？\n") + saveTargetText(),
                    kSaveCaption, QMessageBox::Question,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Cancel);
    // A failed save keeps the window open so the lines are not lost.
    return answer == QMessageBox::No || (answer == QMessageBox::Yes && SaveLyrics());
}

void LyricsEditorWindow::closeAsking()
{
    if (!askToSaveBeforeClosing())
        return;
    m_modified = false;
    close();
}

void LyricsEditorWindow::insertTime()
{
    const QString tag = m_clock->text();
    if (!tag.startsWith(QLatin1Char('[')))
        return;
    const int row = qMax(0, m_table->currentRow());
    m_table->setCurrentCell(row, 0);
    setCellText(row, 0, tag);
    m_modified = true;
    m_table->setCurrentCell(qMin(row + 1, kLyricsRows - 1), 0);
    SetTextBox();
}

void LyricsEditorWindow::deleteCell()
{
    const int row = m_table->currentRow();
    if (row < 0)
        return;
    setCellText(row, qMax(0, m_table->currentColumn()), QString());
    m_modified = true;
    SetTextBox();
}

void LyricsEditorWindow::insertRow()
{
    const int row = m_table->currentRow();
    if (row < 0)
        return;
    std::vector<LyricsRow> all = rows();
    InsertEmptyRow(all, row);
    setRows(all);
    m_modified = true;
}

void LyricsEditorWindow::editorKey(int key)
{
    const int row = m_table->currentRow();
    const int column = qMax(0, m_table->currentColumn());
    if (key == Qt::Key_Down) {
        if (row < kLyricsRows - 1)
            m_table->setCurrentCell(row + 1, column);
        SetTextBox();
    } else if (key == Qt::Key_Up && row > 0) {
        m_table->setCurrentCell(row - 1, column);
        SetTextBox();
    }
}

bool LyricsEditorWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_editor && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Down || key == Qt::Key_Up) {
            editorKey(key);
            return true;
        }
    } else if (watched == m_table && event->type() == QEvent::KeyPress) {
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
            deleteCell();
            return true;
        }
    } else if (watched == m_table->viewport() && event->type() == QEvent::MouseButtonPress) {
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            m_editor->hide();
    }
    return QWidget::eventFilter(watched, event);
}

void LyricsEditorWindow::closeEvent(QCloseEvent* event)
{
    // The close box asks only when there are edits that were never saved; closing from the
    // program (quit) asks nothing.
    if (event->spontaneous() && !askToSaveBeforeClosing()) {
        event->ignore();
        return;
    }
    m_editor->hide();
    m_state.LyricsEditOpen = false;
    event->accept();
    Q_EMIT closed();
}
