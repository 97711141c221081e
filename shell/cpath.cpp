// Path operations on the stored FileName.
#include "cpath.h"

#include <QDir>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>

namespace {

const QChar kSep = QLatin1Char('/');

// All-capital text (no lower-case letters) becomes lower case with a capital first letter.
QString soften(const QString& text)
{
    if (text.isEmpty() || text != text.toUpper())
        return text;
    QString out = text.toLower();
    out[0] = out[0].toUpper();
    return out;
}

}  // namespace

QString cPath::GetFileName() const
{
    const int slash = FileName.lastIndexOf(kSep);
    return slash >= 0 ? FileName.mid(slash + 1) : FileName;
}

QString cPath::GetExt() const
{
    const QString name = GetFileName();
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    return dot >= 0 ? name.mid(dot + 1) : QString();
}

QString cPath::GetPath() const
{
    const int slash = FileName.lastIndexOf(kSep);
    return slash >= 0 ? FileName.left(slash + 1) : QString();
}

QString cPath::GetFileNameOnly() const
{
    const QString name = GetFileName();
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    return dot >= 0 ? name.left(dot) : name;
}

QString cPath::GetCleanFileName() const
{
    return soften(GetFileNameOnly()) + QLatin1Char('.') + soften(GetExt());
}

QString cPath::GetFullPathName(const QString& pathName, const QString& fileName)
{
    QString out = pathName;
    if (!out.endsWith(kSep))
        out += kSep;
    return out + fileName;
}

QString cPath::GetWindowsDirectory() { return GetFullPathName(QDir::homePath()); }

QString cPath::GetSystemDirectory() { return QStringLiteral("/usr/bin/"); }

QString cPath::AddDblQuot(bool notCheckSpace) const
{
    if (!notCheckSpace && !FileName.contains(QLatin1Char(' ')) &&
        !FileName.contains(QLatin1Char(',')))
        return FileName;
    QString out = FileName;
    if (!out.startsWith(QLatin1Char('"')))
        out.prepend(QLatin1Char('"'));
    if (out.size() < 2 || !out.endsWith(QLatin1Char('"')))
        out.append(QLatin1Char('"'));
    return out;
}

QString cPath::GetExecFileFromDataFile() const
{
    if (FileName.isEmpty() || QStandardPaths::findExecutable(QStringLiteral("xdg-mime")).isEmpty())
        return QString();
    const QString mime = QMimeDatabase().mimeTypeForFile(FileName).name();
    QProcess query;
    query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"), mime});
    if (!query.waitForFinished(3000))
        return QString();
    const QString desktopName = QString::fromUtf8(query.readAllStandardOutput()).trimmed();
    if (desktopName.isEmpty())
        return QString();
    const QString entry = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, desktopName);
    if (entry.isEmpty())
        return QString();
    QSettings desktop(entry, QSettings::IniFormat);
    const QString exec = desktop.value(QStringLiteral("Desktop Entry/Exec")).toString();
    const QString program = exec.section(QLatin1Char(' '), 0, 0);
    const QString found = QStandardPaths::findExecutable(program);
    return found.isEmpty() ? program : found;
}

QString cPath::GetShortPathName() const
{
    return QFileInfo(FileName).canonicalFilePath();
}
