// XDG file-type registration: the desktop entry, the defaults in mimeapps.list and the file
// types' icons.
#include "fileassociation.h"

#include <algorithm>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include "apppaths.h"
#include "engine/meta/audiofiletypes.h"
#include "safesave.h"
#include "textcodec.h"

namespace {
const QString kDefaultSection = QStringLiteral("Default Applications");
const QString kAddedSection = QStringLiteral("Added Associations");
const QString kRemovedSection = QStringLiteral("Removed Associations");

// An XDG base folder from its variable; relative values are ignored as the base-directory
// rules require.
QString xdgBase(const char* variable, const QString& fallbackUnderHome)
{
    const QString value = qEnvironmentVariable(variable);
    if (!value.isEmpty() && QDir::isAbsolutePath(value))
        return QDir::cleanPath(value);
    return QDir::homePath() + QLatin1Char('/') + fallbackUnderHome;
}

QString dataHome()
{
    return xdgBase("XDG_DATA_HOME", QStringLiteral(".local/share"));
}

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    return SaveBytes(path, bytes);
}

bool writeFile(const QString& path, const QString& text)
{
    return writeBytes(path, text.toUtf8());
}

// The file's text, or "" when it is missing; ok is false when it exists but cannot be read.
QString readFile(const QString& path, bool* ok)
{
    *ok = true;
    QFile file(path);
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly)) {
        *ok = false;
        return {};
    }
    return DecodeText(file.readAll());
}

// One line of a key file, split into its parts when it is a key line.
struct Line {
    QString text; // without its line end
    bool isSection = false;
    QString section; // for a section line: the name between the brackets
    bool isKey = false;
    QString key;
};

struct KeyFile {
    std::vector<Line> lines;
    QString lineEnd = QStringLiteral("\n");
    bool endsWithLineEnd = true;
};

Line parseLine(const QString& text)
{
    Line line;
    line.text = text;
    const QString trimmed = text.trimmed();
    if (trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']'))) {
        line.isSection = true;
        line.section = trimmed.mid(1, trimmed.size() - 2);
    } else if (!trimmed.startsWith(QLatin1Char('#')) && trimmed.contains(QLatin1Char('='))) {
        line.isKey = true;
        line.key = trimmed.left(trimmed.indexOf(QLatin1Char('='))).trimmed();
    }
    return line;
}

KeyFile parseKeyFile(const QString& text)
{
    KeyFile file;
    // Keep the file's own line ends when it uses CR LF throughout its first line.
    const qsizetype firstBreak = text.indexOf(QLatin1Char('\n'));
    if (firstBreak > 0 && text.at(firstBreak - 1) == QLatin1Char('\r'))
        file.lineEnd = QStringLiteral("\r\n");
    file.endsWithLineEnd = text.isEmpty() || text.endsWith(QLatin1Char('\n'));
    QStringList parts = text.split(QLatin1Char('\n'));
    if (text.endsWith(QLatin1Char('\n')))
        parts.removeLast();
    if (text.isEmpty())
        parts.clear();
    for (QString part : parts) {
        if (part.endsWith(QLatin1Char('\r')))
            part.chop(1);
        file.lines.push_back(parseLine(part));
    }
    return file;
}

QString joinKeyFile(const KeyFile& file)
{
    QString out;
    for (size_t i = 0; i < file.lines.size(); ++i) {
        out += file.lines[i].text;
        if (i + 1 < file.lines.size() || file.endsWithLineEnd)
            out += file.lineEnd;
    }
    return out;
}

QStringList splitList(const QString& value)
{
    QStringList items;
    for (const QString& item : value.split(QLatin1Char(';'))) {
        const QString trimmed = item.trimmed();
        if (!trimmed.isEmpty())
            items << trimmed;
    }
    return items;
}

QString valueOf(const Line& line)
{
    return line.text.mid(line.text.indexOf(QLatin1Char('=')) + 1);
}

// Calls edit(list) for the line of each mime type in every copy of section, adding the line at
// the end of the section's first copy (or a new section at the end) when add is true and the
// type has no line. A list left empty removes its line.
template <typename Edit>
void editSection(KeyFile& file, const QString& section, const QStringList& mimeTypes, bool add,
                 Edit edit)
{
    for (const QString& mimeType : mimeTypes) {
        bool found = false;
        qsizetype firstSectionEnd = -1; // index after the header of the section's first copy
        QString current;
        for (qsizetype i = 0; i < qsizetype(file.lines.size()); ++i) {
            Line& line = file.lines[size_t(i)];
            if (line.isSection) {
                current = line.section;
                if (current == section && firstSectionEnd < 0)
                    firstSectionEnd = i + 1;
                continue;
            }
            if (current != section)
                continue;
            if (line.isKey && line.key == mimeType) {
                found = true;
                QStringList items = splitList(valueOf(line));
                edit(items);
                if (items.isEmpty()) {
                    file.lines.erase(file.lines.begin() + i);
                    --i;
                    continue;
                }
                line.text =
                    mimeType + QLatin1Char('=') + items.join(QLatin1Char(';')) + QLatin1Char(';');
            }
        }
        if (found || !add)
            continue;
        QStringList items;
        edit(items);
        if (items.isEmpty())
            continue;
        const QString text =
            mimeType + QLatin1Char('=') + items.join(QLatin1Char(';')) + QLatin1Char(';');
        if (firstSectionEnd < 0) {
            if (!file.lines.empty() && !file.lines.back().text.trimmed().isEmpty())
                file.lines.push_back(parseLine(QString()));
            file.lines.push_back(parseLine(QLatin1Char('[') + section + QLatin1Char(']')));
            file.lines.push_back(parseLine(text));
            file.endsWithLineEnd = true;
            continue;
        }
        // After the last non-blank line of the section's first copy.
        qsizetype insertAt = firstSectionEnd;
        for (qsizetype i = firstSectionEnd; i < qsizetype(file.lines.size()); ++i) {
            if (file.lines[size_t(i)].isSection)
                break;
            if (!file.lines[size_t(i)].text.trimmed().isEmpty())
                insertAt = i + 1;
        }
        if (insertAt == qsizetype(file.lines.size()))
            file.endsWithLineEnd = true;
        file.lines.insert(file.lines.begin() + insertAt, parseLine(text));
    }
}

// Desktop entry string escaping of one Exec argument: quoted when it holds a reserved
// character, with the quoting escapes and then the string escapes applied.
QString execArgument(const QString& argument)
{
    static const QString kReserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool needsQuotes = argument.isEmpty();
    for (QChar c : argument) {
        if (kReserved.contains(c)) {
            needsQuotes = true;
            break;
        }
    }
    QString quoted;
    if (needsQuotes) {
        quoted += QLatin1Char('"');
        for (QChar c : argument) {
            if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
                c == QLatin1Char('\\'))
                quoted += QLatin1Char('\\');
            quoted += c;
        }
        quoted += QLatin1Char('"');
    } else {
        quoted = argument;
    }
    QString escaped;
    for (QChar c : quoted) {
        if (c == QLatin1Char('\\'))
            escaped += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\n'))
            escaped += QStringLiteral("\\n");
        else if (c == QLatin1Char('\t'))
            escaped += QStringLiteral("\\t");
        else if (c == QLatin1Char('\r'))
            escaped += QStringLiteral("\\r");
        else if (c == QLatin1Char('%'))
            escaped += QStringLiteral("%%"); // a field code otherwise
        else
            escaped += c;
    }
    return escaped;
}

// Runs a cache tool of the desktop on folder when it is installed; without it the desktop
// sees the change later or not at all, which is no reason to fail.
void runCacheTool(const QString& name, const QString& folder)
{
    const QString tool = QStandardPaths::findExecutable(name);
    if (tool.isEmpty())
        return;
    QProcess process;
    process.start(tool, {folder});
    process.waitForFinished(10000);
}

// A user's cached MIME index would otherwise keep offering a claim that was just removed, or
// miss one that was just made.
void refreshDesktopDatabase(const QString& applicationsDir)
{
    if (QFileInfo::exists(applicationsDir + QStringLiteral("/mimeinfo.cache")))
        runCacheTool(QStringLiteral("update-desktop-database"), applicationsDir);
}

// The absolute folders of $XDG_DATA_DIRS (default /usr/local/share and /usr/share).
QStringList dataDirs()
{
    QString dirs = qEnvironmentVariable("XDG_DATA_DIRS");
    if (dirs.isEmpty())
        dirs = QStringLiteral("/usr/local/share:/usr/share");
    QStringList absolute;
    for (const QString& dir : dirs.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        if (QDir::isAbsolutePath(dir))
            absolute << QDir::cleanPath(dir);
    }
    return absolute;
}

QString userIconTheme()
{
    return dataHome() + QStringLiteral("/icons/hicolor");
}

// Whether the desktop looks for icons in theme: the hicolor folders of $XDG_DATA_HOME and
// $XDG_DATA_DIRS.
bool isSearchedIconTheme(const QString& theme)
{
    QStringList themes = {userIconTheme()};
    for (const QString& dir : dataDirs())
        themes << dir + QStringLiteral("/icons/hicolor");
    const QString canonical = QFileInfo(theme).canonicalFilePath();
    return std::any_of(themes.begin(), themes.end(), [&](const QString& searched) {
        return QFileInfo(searched).canonicalFilePath() == canonical;
    });
}

// Copies the icons of the theme shipped with the program (the program's own and the file
// types') to the user's theme when the desktop would not find them where they are, as for a
// program run from its build tree.
bool installIcons(const QString& shippedTheme)
{
    if (!QFileInfo(shippedTheme).isDir() || isSearchedIconTheme(shippedTheme))
        return true;
    bool ok = true;
    QDirIterator it(shippedTheme, {QStringLiteral("*.png")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString copy =
            userIconTheme() + QLatin1Char('/') + QDir(shippedTheme).relativeFilePath(source);
        QFile in(source);
        if (!in.open(QIODevice::ReadOnly)) {
            ok = false;
            continue;
        }
        const QByteArray bytes = in.readAll();
        QFile existing(copy);
        if (existing.open(QIODevice::ReadOnly) && existing.readAll() == bytes)
            continue;
        ok = writeBytes(copy, bytes) && ok;
    }
    return ok;
}

// Removes the user's copies of the file types' icons; the program's own icon stays for the
// desktop entry that unregistering keeps.
bool removeFileTypeIcons()
{
    bool ok = true;
    const QDir theme(userIconTheme());
    for (const QString& size : theme.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        for (const QString& icon : kFileTypeIcons) {
            const QString path = theme.filePath(size + QStringLiteral("/mimetypes/") + icon +
                                                QStringLiteral(".png"));
            if (QFileInfo::exists(path) && !QFile::remove(path))
                ok = false;
        }
    }
    return ok;
}

// The inner lines of the system's definition of mimeType (its comments in every language,
// aliases, globs, parent), as update-mime-database wrote them, without an icon.
QStringList systemDefinition(const QString& mimeType)
{
    for (const QString& dir : dataDirs()) {
        QFile file(dir + QStringLiteral("/mime/") + mimeType + QStringLiteral(".xml"));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        QStringList inner;
        for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
            const QString trimmed = line.trimmed();
            if (trimmed.startsWith(QLatin1Char('<')) && !trimmed.startsWith(QStringLiteral("<?")) &&
                !trimmed.startsWith(QStringLiteral("<!--")) &&
                !trimmed.startsWith(QStringLiteral("<mime-type")) &&
                !trimmed.startsWith(QStringLiteral("</mime-type")) &&
                !trimmed.startsWith(QStringLiteral("<icon")))
                inner << QStringLiteral("    ") + trimmed;
        }
        return inner;
    }
    return {};
}

// The user's package names the icons. It repeats the system's definition of each type: readers
// such as Qt's take a type's description from the first database that defines it, and the
// user's database comes first.
QString mimePackageText()
{
    QStringList lines = {
        QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"),
        QStringLiteral(
            "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">")};
    for (qsizetype i = 0; i < kAssociatedMimeTypes.size(); ++i) {
        lines << QStringLiteral("  <mime-type type=\"%1\">").arg(kAssociatedMimeTypes[i]);
        lines << systemDefinition(kAssociatedMimeTypes[i]);
        lines << QStringLiteral("    <icon name=\"%1\"/>").arg(kFileTypeIcons[i]);
        lines << QStringLiteral("  </mime-type>");
    }
    lines << QStringLiteral("</mime-info>");
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

void refreshMimeDatabase()
{
    runCacheTool(QStringLiteral("update-mime-database"), dataHome() + QStringLiteral("/mime"));
}

bool writeMimeApps(bool registering)
{
    const QString path = MimeAppsListPath();
    bool ok = false;
    const QString text = readFile(path, &ok);
    if (!ok)
        return false;
    if (!registering && !QFileInfo::exists(path))
        return true;
    const QString edited = registering
                               ? MimeAppsWithDefaults(text, kDesktopId, kAssociatedMimeTypes)
                               : MimeAppsWithoutDefaults(text, kDesktopId, kAssociatedMimeTypes);
    if (edited == text && QFileInfo::exists(path))
        return true;
    return writeFile(path, edited);
}
} // namespace

QStringList AssociatedMimeTypes()
{
    QStringList types;
    for (const AudioFileType& format : kAudioFileTypes) {
        if (*format.mimeType)
            types << QString::fromLatin1(format.mimeType);
    }
    return types << QStringLiteral("audio/x-mpegurl");
}

QStringList FileTypeIcons()
{
    QStringList icons;
    for (const AudioFileType& format : kAudioFileTypes) {
        if (*format.mimeType)
            icons << QString::fromLatin1(format.icon);
    }
    return icons << QStringLiteral("morvane-audio-x-mpegurl");
}

QString DesktopEntryPath()
{
    return dataHome() + QStringLiteral("/applications/") + kDesktopId;
}

QString MimeAppsListPath()
{
    return xdgBase("XDG_CONFIG_HOME", QStringLiteral(".config")) + QStringLiteral("/mimeapps.list");
}

QString MimePackagePath()
{
    return dataHome() + QStringLiteral("/mime/packages/morvane.xml");
}

QString DesktopExecValue(const QString& programPath)
{
    return execArgument(programPath) + QStringLiteral(" %F");
}

QString DesktopEntryText(const QString& programPath, bool claimMimeTypes)
{
    QStringList lines = {
        QStringLiteral("[Desktop Entry]"),
        QStringLiteral("Type=Application"),
        QStringLiteral("Name=Morvane"),
        QStringLiteral("GenericName=Music Player"),
        QStringLiteral("GenericName[ja]=音楽プレーヤー"),
        QStringLiteral("Comment=Play MP3, FLAC, Ogg, Opus, AAC, WAV and AIFF files and playlists"),
        QStringLiteral(
            "Comment[ja]=MP3・FLAC・Ogg・Opus・AAC・WAV・AIFFファイルとプレイリストを再生します"),
        QStringLiteral("Exec=") + DesktopExecValue(programPath),
        QStringLiteral("Icon=morvane"),
        QStringLiteral("Terminal=false"),
        QStringLiteral("Categories=AudioVideo;Audio;Player;"),
    };
    if (claimMimeTypes)
        lines << QStringLiteral("MimeType=") + kAssociatedMimeTypes.join(QLatin1Char(';')) +
                     QLatin1Char(';');
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QString MimeAppsWithDefaults(const QString& text, const QString& desktopId,
                             const QStringList& mimeTypes)
{
    KeyFile file = parseKeyFile(text);
    auto putFirst = [&](QStringList& items) {
        items.removeAll(desktopId);
        items.prepend(desktopId);
    };
    editSection(file, kDefaultSection, mimeTypes, true, putFirst);
    editSection(file, kAddedSection, mimeTypes, true, putFirst);
    editSection(file, kRemovedSection, mimeTypes, false,
                [&](QStringList& items) { items.removeAll(desktopId); });
    return joinKeyFile(file);
}

QString MimeAppsWithoutDefaults(const QString& text, const QString& desktopId,
                                const QStringList& mimeTypes)
{
    KeyFile file = parseKeyFile(text);
    auto drop = [&](QStringList& items) { items.removeAll(desktopId); };
    editSection(file, kDefaultSection, mimeTypes, false, drop);
    editSection(file, kAddedSection, mimeTypes, false, drop);
    return joinKeyFile(file);
}

bool RegisterFileTypes(const QString& programPath)
{
    const bool entryWritten = writeFile(DesktopEntryPath(), DesktopEntryText(programPath, true));
    const bool listWritten = writeMimeApps(true);
    refreshDesktopDatabase(QFileInfo(DesktopEntryPath()).absolutePath());
    const bool iconsWritten = installIcons(
        ShippedDir(QFileInfo(programPath).absolutePath(), QStringLiteral("share/icons/hicolor")));
    const bool packageWritten = writeFile(MimePackagePath(), mimePackageText());
    refreshMimeDatabase();
    return entryWritten && listWritten && iconsWritten && packageWritten;
}

bool UnregisterFileTypes()
{
    bool entryOk = true;
    const QString entryPath = DesktopEntryPath();
    bool readOk = false;
    const QString entry = readFile(entryPath, &readOk);
    if (!readOk) {
        entryOk = false;
    } else if (QFileInfo::exists(entryPath)) {
        // Keep the entry (the user may start Morvane from the menu) without its MIME claim.
        QStringList lines = entry.split(QLatin1Char('\n'));
        const qsizetype before = lines.size();
        lines.erase(std::remove_if(lines.begin(), lines.end(),
                                   [](const QString& line) {
                                       return line.contains(QLatin1Char('=')) &&
                                              line.section(QLatin1Char('='), 0, 0).trimmed() ==
                                                  QStringLiteral("MimeType");
                                   }),
                    lines.end());
        if (lines.size() != before)
            entryOk = writeFile(entryPath, lines.join(QLatin1Char('\n')));
    }
    const bool listOk = writeMimeApps(false);
    refreshDesktopDatabase(QFileInfo(entryPath).absolutePath());
    bool packageOk = true;
    if (QFileInfo::exists(MimePackagePath())) {
        packageOk = QFile::remove(MimePackagePath());
        refreshMimeDatabase();
    }
    const bool iconsOk = removeFileTypeIcons();
    return entryOk && listOk && packageOk && iconsOk;
}
