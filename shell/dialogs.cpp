// QFileDialog behind the program's three dialog wrappers.
#include "dialogs.h"

#include "messagebox.h"
#include "pathbytes.h"

#include "engine/meta/audiofiletypes.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QTreeView>

#include <deque>
#include <map>
#include <sys/stat.h>

namespace {
constexpr int kDialogWidth = 820;
constexpr int kDialogHeight = 520;

struct Script {
    std::deque<QString> answers;
    QStringList filters;
    // The folder of the last choice per dialog kind, kept for the run.
    std::map<DialogKind, QString> folders;
};

Script& script()
{
    static Script s;
    return s;
}

QString filterText(const DialogFilter& filter)
{
    QStringList parts;
    for (const auto& [description, pattern] : filter) {
        // QFileDialog reads the patterns from the parentheses; keep the caller's description
        // and add the pattern when the description does not already show it.
        // "*.*" means every file, as it does on the system the filters come from; Qt's "*.*"
        // would hide names without a dot.
        const QString qtPattern = pattern == QLatin1String("*.*") ? QStringLiteral("*") : pattern;
        if (description.contains(QLatin1Char('(')))
            parts << description.left(description.indexOf(QLatin1Char('('))) +
                         QStringLiteral("(%1)").arg(qtPattern);
        else
            parts << QStringLiteral("%1 (%2)").arg(description, qtPattern);
    }
    return parts.join(QStringLiteral(";;"));
}

} // namespace

DialogFilter TrackDialogFilter(bool withPlaylists)
{
    // One entry per label: ".ogg" and ".oga" share "Ogg Vorbis(*.ogg;*.oga)".
    QStringList labels;
    QList<QStringList> patterns;
    QStringList all;
    for (const AudioFileType& format : kAudioFileTypes) {
        const QString label = QString::fromUtf8(format.label);
        const QString pattern = QLatin1Char('*') + QLatin1String(format.extension);
        all << pattern;
        const qsizetype at = labels.indexOf(label);
        if (at >= 0) {
            patterns[at] << pattern;
        } else {
            labels << label;
            patterns << QStringList{pattern};
        }
    }
    DialogFilter filter;
    filter.append({QStringLiteral("全ての音楽(%1)").arg(all.join(QLatin1Char(';'))),
                   all.join(QLatin1Char(' '))});
    for (qsizetype i = 0; i < labels.size(); ++i)
        filter.append({QStringLiteral("%1(%2)").arg(labels[i], patterns[i].join(QLatin1Char(';'))),
                       patterns[i].join(QLatin1Char(' '))});
    if (withPlaylists)
        filter.append({QStringLiteral("PlayList(*.m3u)"), QStringLiteral("*.m3u")});
    filter.append({QStringLiteral("全てのﾌｧｲﾙ(*.*)"), QStringLiteral("*.*")});
    return filter;
}

namespace {

bool scripted(const DialogFilter& filter, QString& answer)
{
    Script& s = script();
    QStringList names;
    for (const auto& entry : filter)
        names << entry.first;
    s.filters << names.join(QLatin1Char('|'));
    if (s.answers.empty())
        return false;
    answer = s.answers.front();
    s.answers.pop_front();
    return true;
}
} // namespace

namespace {
// Qt's dialog cannot open a folder whose name is not valid UTF-8: start in the nearest folder
// above it that it can.
QString folderQtCanShow(QString folder)
{
    while (PathHasRawBytes(folder))
        folder = QFileInfo(folder).absolutePath();
    return folder;
}

// A file dialog wide enough for the size and date columns, in the detail view.
QString runFileDialog(QWidget* owner, const DialogFilter& filter, const QString& initialDir,
                      bool save)
{
    QFileDialog dialog(owner, QString(), folderQtCanShow(initialDir), filterText(filter));
    dialog.setViewMode(QFileDialog::Detail);
    if (save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        // The callers ask about overwriting themselves where they need to.
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    } else {
        // Qt's own check for an existing file looks for the decoded name, so it refuses a file
        // whose name is not valid UTF-8: the file is checked below, once its bytes are found.
        dialog.setFileMode(QFileDialog::AnyFile);
    }
    dialog.resize(kDialogWidth, kDialogHeight);
    // Qt's own dialog: the name takes the spare width, size, type and date show whole.
    if (auto* list = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))) {
        list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
        for (int column = 1; column < list->header()->count(); ++column)
            list->header()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    }
    for (;;) {
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        const QString path = dialog.selectedFiles().front();
        if (path.isEmpty())
            return {};
        const QString chosen = PathFromQtName(QFileInfo(path).absoluteFilePath());
        struct stat info {};
        if (save || (::stat(PathBytes(chosen).constData(), &info) == 0 && !S_ISDIR(info.st_mode)))
            return chosen;
        ShowMessage(&dialog,
                    QStringLiteral("ファイルが見つかりません。\r%1").arg(PathDisplay(chosen)),
                    kAppTitle, QMessageBox::Warning);
    }
}

QString rememberFolder(DialogKind kind, const QString& chosen)
{
    if (!chosen.isEmpty())
        script().folders[kind] = QFileInfo(chosen).absolutePath();
    return chosen;
}
} // namespace

QString ShowOpenDialog(QWidget* owner, const DialogFilter& filter, const QString& initialDir)
{
    QString answer;
    if (scripted(filter, answer))
        return answer;
    return runFileDialog(owner, filter, initialDir, false);
}

QString ShowSaveDialog(QWidget* owner, const DialogFilter& filter, const QString& initialDir)
{
    QString answer;
    if (scripted(filter, answer))
        return answer;
    return runFileDialog(owner, filter, initialDir, true);
}

QString DialogFolder(DialogKind kind)
{
    const auto found = script().folders.find(kind);
    return found != script().folders.end() ? found->second : QDir::currentPath();
}

QString ShowOpenDialog(QWidget* owner, const DialogFilter& filter, DialogKind kind)
{
    return rememberFolder(kind, ShowOpenDialog(owner, filter, DialogFolder(kind)));
}

QString ShowSaveDialog(QWidget* owner, const DialogFilter& filter, DialogKind kind)
{
    return rememberFolder(kind, ShowSaveDialog(owner, filter, DialogFolder(kind)));
}

bool clsBrowsFolder::mShowDialog()
{
    pPathName.clear();
    pDisplayName.clear();
    QString chosen;
    if (!scripted({{pDialogTitle, QString()}}, chosen)) {
        QString root = (pUseDir && !pUseInitDir.isEmpty()) ? pUseInitDir : QDir::homePath();
        chosen = PathFromQtName(
            QFileDialog::getExistingDirectory(pTarget, pDialogTitle, folderQtCanShow(root)));
    }
    if (chosen.isEmpty())
        return false;
    pPathName = QDir::cleanPath(chosen); // no trailing "/" except for the root
    pDisplayName = PathDisplay(QFileInfo(pPathName).fileName());
    if (pDisplayName.isEmpty())
        pDisplayName = pPathName;
    return true;
}

void DialogScript::pushAnswer(const QString& answer)
{
    script().answers.push_back(answer);
}
void DialogScript::clear()
{
    script().answers.clear();
    script().filters.clear();
    script().folders.clear();
}
QStringList DialogScript::askedFilters()
{
    return script().filters;
}
