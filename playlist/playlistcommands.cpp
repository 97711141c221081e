// Deleting, moving, file information, help and hide on the playlist window's rows.
#include "playlistcommands.h"

#include "engine/meta/streamfacts.h"
#include "fileinfowindow.h"
#include "playlistmodel.h"
#include "playlistview.h"
#include "playlistwindow.h"
#include "shell/apppaths.h"
#include "shell/desktopopen.h"
#include "shell/messagebox.h"
#include "shell/pathbytes.h"
#include "state/appstate.h"
#include "engine/meta/tagreader.h"

#include <QFileInfo>
#include <QKeyEvent>
#include <QLocale>
#include <QRegularExpression>

int FileAttributes(const QString& path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return -1;
    int attributes = 0;
    if (info.isDir())
        attributes |= 16;
    if (info.fileName().startsWith(QLatin1Char('.')))
        attributes |= 2;
    // The owner bit counts even for root, whom the permission check would let write anything.
    if (!(info.permissions() & QFileDevice::WriteOwner) || !info.isWritable())
        attributes |= 1;
    return attributes;
}

QString AttributeText(int attributes)
{
    switch (attributes) {
    case 0:
        return QStringLiteral("通常ﾌｧｲﾙ");
    case 1:
        return QStringLiteral("読みとり専用ﾌｧｲﾙ");
    case 2:
        return QStringLiteral("隠しﾌｧｲﾙ");
    case 4:
        return QStringLiteral("ｼｽﾃﾑﾌｧｲﾙ");
    case 16:
        return QStringLiteral("ﾌｫﾙﾀﾞ");
    case 32:
        return QStringLiteral("アーカイブ");
    default:
        return {};
    }
}

QString GeneralDateText(const QDateTime& when)
{
    const QLocale locale = QLocale::system();
    // The long time format carries the seconds, and a time-zone name that is dropped here.
    QString timeFormat = locale.timeFormat(QLocale::LongFormat);
    timeFormat.remove(QRegularExpression(QStringLiteral("\\s*\\bt+\\b")));
    return locale.toString(when.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
           locale.toString(when.time(), timeFormat.trimmed());
}

QString StreamFactsText(const StreamFacts& facts)
{
    QStringList parts = {QString::fromStdString(facts.codec)};
    if (facts.bits > 0)
        parts << QStringLiteral("%1bit").arg(facts.bits);
    parts << QStringLiteral("%1Hz").arg(facts.sampleRate)
          << (facts.channels == 1   ? QStringLiteral("ﾓﾉﾗﾙ")
              : facts.channels == 2 ? QStringLiteral("ｽﾃﾚｵ")
                                    : QStringLiteral("%1ch").arg(facts.channels));
    if (facts.bitRate > 0)
        parts << QStringLiteral("%1kbps").arg(facts.bitRate);
    QString text = QStringLiteral("<形式>") + parts.join(QLatin1Char(' '));
    if (!facts.encoder.empty())
        text += QStringLiteral("\n<ｴﾝｺｰﾀﾞ>") +
                QString::fromStdString(CutUtf8(facts.encoder, kTagTextChars));
    return text;
}

QString FileInfoText(const QString& rowText, const QString& path, const QString& sizeText)
{
    const QFileInfo info(path);
    const int attributes = FileAttributes(path);
    const QString date = attributes < 0 ? QString() : GeneralDateText(info.lastModified());
    const QString attributeText = attributes < 0 ? QString() : AttributeText(attributes);
    QString text = QStringLiteral("<ﾌｧｲﾙ名>") + rowText + QLatin1Char('\n') +
                   QStringLiteral("<ﾊﾟｽ>") + path + QLatin1Char('\n') + QStringLiteral("<ｻｲｽﾞ>") +
                   sizeText + QLatin1Char('\n') + QStringLiteral("<作成日時>") + date +
                   QLatin1Char('\n') + QStringLiteral("<属性>") + attributeText;
    StreamFacts facts;
    if (ReadStreamFacts(PathBytes(path).toStdString(), facts))
        text += QLatin1Char('\n') + StreamFactsText(facts);
    return text;
}

void OpenHelp(QWidget* parent)
{
    const QString path = DataDir() + QStringLiteral("/help/index.html");
    if (!QFileInfo(path).isFile()) {
        ShowMessage(parent, QStringLiteral("ヘルプファイルが見つかりません。\n") + path, kAppTitle,
                    QMessageBox::Critical);
        return;
    }
    // The desktop's own opener, so that a desktop with nothing to show HTML is told about.
    OpenWithDesktop(parent, path, QStringLiteral("ヘルプ"));
}

PlaylistCommands::PlaylistCommands(PlaylistWindow& window)
    : QObject(&window), m_window(window), m_windowObject(&window), m_view(window.playList())
{
    m_window.playList()->installEventFilter(this);
    m_window.installEventFilter(this);
}

PlaylistCommands::~PlaylistCommands() = default;

FileInfoWindow* PlaylistCommands::fileInfoWindow() const
{
    return m_fileInfo;
}

bool PlaylistCommands::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_view && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        deleteKey();
        return true;
    }
    if (watched == m_windowObject && event->type() == QEvent::Close) {
        // The close box hides the window like "Hide": it lives, rows and all, until quit.
        event->ignore();
        hideWindow();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void PlaylistCommands::DeleteItem()
{
    PlaylistModel& model = m_window.model();
    if (model.count() == 0)
        return;
    const QList<int> selected = m_window.playList()->selectedRowNumbers();
    for (auto it = selected.crbegin(); it != selected.crend(); ++it) {
        model.removeRow1(*it);
        m_lastDeleted = *it;
    }
    model.MakeRandomOrder();
}

void PlaylistCommands::deleteKey()
{
    PlaylistModel& model = m_window.model();
    if (model.count() > 0)
        DeleteItem();
    if (m_lastDeleted > 0 && m_lastDeleted <= model.count()) {
        m_window.playList()->selectRowNumber(m_lastDeleted);
        model.MakeRandomOrder();
    }
}

void PlaylistCommands::DeleteAllItems()
{
    PlaylistModel& model = m_window.model();
    if (model.count() == 0)
        return;
    const auto answer =
        ShowMessage(&m_window,
                    QStringLiteral("演奏リストの項目を全て削除します。\n"
                                   "保存していないデータは失われますがよろしいですか？"),
                    QStringLiteral("リストの全削除"), QMessageBox::Question,
                    QMessageBox::Ok | QMessageBox::Cancel);
    if (answer != QMessageBox::Ok)
        return;
    model.clear();
    model.MakeRandomOrder();
    m_window.state().CurrentIndex = 1;
}

void PlaylistCommands::showFileInfo()
{
    const QList<int> selected = m_window.playList()->selectedRowNumbers();
    if (selected.isEmpty())
        return;
    const PlaylistRow row = m_window.model().row(selected.first());
    if (!m_fileInfo)
        m_fileInfo = new FileInfoWindow(&m_window);
    QString text = FileInfoText(row.text, row.path, row.sizeText);
    // The encoding the tag's legacy text was read in (none when it is Unicode or plain ASCII).
    TagInfo tag;
    LegacyEncoding used = LegacyEncoding::Automatic;
    ReadTagAs(PathBytes(row.path).toStdString(), tag, LegacyEncoding::Automatic, &used);
    if (used != LegacyEncoding::Automatic)
        text += QStringLiteral("\n<文字コード>") + QString::fromLatin1(LegacyEncodingName(used));
    m_fileInfo->setText(text);
    m_fileInfo->show();
    m_fileInfo->raise();
}

void PlaylistCommands::moveDown()
{
    move(1);
}

void PlaylistCommands::moveUp()
{
    move(-1);
}

void PlaylistCommands::move(int step)
{
    PlaylistModel& model = m_window.model();
    AppState& state = m_window.state();
    const QList<int> selected = m_window.playList()->selectedRowNumbers();
    if (selected.size() != 1)
        return;
    const int k = selected.first();
    const int target = k + step;
    if (!model.isValidRow(target))
        return;
    const bool movesCurrent = model.rowPath(k) == state.CurrentFile;
    const bool hadMark = model.markedRow() == k;
    if (!movesCurrent && state.CurrentIndex == target) {
        // The current track is the neighbour that trades places: its number follows it.
        state.CurrentIndex = k;
    }
    model.moveRow1(k, target);
    if (movesCurrent) {
        state.CurrentIndex = target;
        model.markCurrent(target);
    } else if (hadMark) {
        // A row that is not the opened track loses the current-track image when moved.
        model.markCurrent(0);
    }
    m_window.playList()->selectRowNumber(target);
}

void PlaylistCommands::help()
{
    OpenHelp(&m_window);
}

void PlaylistCommands::hideWindow()
{
    m_window.state().ListVisible = false;
    m_window.hide();
}
