// QFileDialog behind the program's three dialog wrappers.
#include "dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

#include <deque>

namespace {
struct Script {
    std::deque<QString> answers;
    QStringList filters;
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
        if (description.contains(QLatin1Char('(')))
            parts << description.left(description.indexOf(QLatin1Char('('))) +
                         QStringLiteral("(%1)").arg(pattern);
        else
            parts << QStringLiteral("%1 (%2)").arg(description, pattern);
    }
    return parts.join(QStringLiteral(";;"));
}

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
}  // namespace

QString ShowOpenDialog(QWidget* owner, const DialogFilter& filter, const QString& initialDir)
{
    QString answer;
    if (scripted(filter, answer))
        return answer;
    QString path = QFileDialog::getOpenFileName(owner, QString(), initialDir, filterText(filter));
    return path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
}

QString ShowSaveDialog(QWidget* owner, const DialogFilter& filter, const QString& initialDir)
{
    QString answer;
    if (scripted(filter, answer))
        return answer;
    // The callers ask about overwriting themselves where they need to.
    QString path = QFileDialog::getSaveFileName(owner, QString(), initialDir, filterText(filter),
                                                nullptr, QFileDialog::DontConfirmOverwrite);
    return path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
}

bool clsBrowsFolder::mShowDialog()
{
    pPathName.clear();
    pDisplayName.clear();
    QString chosen;
    if (!scripted({{pDialogTitle, QString()}}, chosen)) {
        QString root = (pUseDir && !pUseInitDir.isEmpty()) ? pUseInitDir : QDir::homePath();
        chosen = QFileDialog::getExistingDirectory(pTarget, pDialogTitle, root);
    }
    if (chosen.isEmpty())
        return false;
    pPathName = QDir::cleanPath(chosen);  // no trailing "/" except for the root
    pDisplayName = QFileInfo(pPathName).fileName();
    if (pDisplayName.isEmpty())
        pDisplayName = pPathName;
    return true;
}

void DialogScript::pushAnswer(const QString& answer) { script().answers.push_back(answer); }
void DialogScript::clear()
{
    script().answers.clear();
    script().filters.clear();
}
QStringList DialogScript::askedFilters() { return script().filters; }
