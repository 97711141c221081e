// Lossless file-system names, and their display.
#include "pathbytes.h"

#include <QDir>
#include <QFile>

#include <climits>
#include <string_view>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/meta/textcodec.h"

namespace {
constexpr char16_t kRawByteBase = 0xDC00;

// Length of the valid UTF-8 sequence at data[i], or 0 when the byte there does not start one.
int validSequence(const unsigned char* data, qsizetype size, qsizetype i)
{
    const unsigned char lead = data[i];
    if (lead < 0x80)
        return 1;
    int length = 0;
    char32_t code = 0;
    char32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, code = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, code = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, code = lead & 0x07, minimum = 0x10000;
    } else {
        return 0;
    }
    if (i + length > size)
        return 0;
    for (int k = 1; k < length; ++k) {
        const unsigned char next = data[i + k];
        if ((next & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (next & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

bool isRawByte(QChar c)
{
    return c.unicode() >= kRawByteBase + 0x80 && c.unicode() <= kRawByteBase + 0xFF;
}
}  // namespace

QString PathFromBytes(const QByteArray& bytes)
{
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype size = bytes.size();
    QString out;
    out.reserve(size);
    qsizetype run = 0; // start of the current run of valid UTF-8
    qsizetype i = 0;
    while (i < size) {
        const int length = validSequence(data, size, i);
        if (length > 0) {
            i += length;
            continue;
        }
        out += QString::fromUtf8(bytes.constData() + run, i - run);
        out += QChar(char16_t(kRawByteBase + data[i]));
        run = ++i;
    }
    out += QString::fromUtf8(bytes.constData() + run, size - run);
    return out;
}

QByteArray PathBytes(const QString& path)
{
    if (!PathHasRawBytes(path))
        return path.toUtf8();
    QByteArray out;
    out.reserve(path.size() * 3);
    qsizetype run = 0;
    for (qsizetype i = 0; i < path.size(); ++i) {
        if (!isRawByte(path[i]))
            continue;
        out += QStringView(path).mid(run, i - run).toUtf8();
        out += static_cast<char>(path[i].unicode() - kRawByteBase);
        run = i + 1;
    }
    out += QStringView(path).mid(run).toUtf8();
    return out;
}

bool PathHasRawBytes(const QString& path)
{
    for (QChar c : path) {
        if (isRawByte(c))
            return true;
    }
    return false;
}

bool PathExists(const QString& path)
{
    struct stat info {};
    return !path.isEmpty() && ::stat(PathBytes(path).constData(), &info) == 0;
}

QString PathDisplay(const QString& path)
{
    if (!PathHasRawBytes(path))
        return path;
    QStringList parts = path.split(QLatin1Char('/'));
    for (QString& part : parts) {
        if (!PathHasRawBytes(part))
            continue;
        const QByteArray bytes = PathBytes(part);
        part = QString::fromStdString(
            DecodeTextFile(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size()))));
    }
    return parts.join(QLatin1Char('/'));
}

namespace {
// The one entry of folder whose name Qt decodes to shown, or "" when none or several do.
QByteArray entryShownAs(const QByteArray& folder, const QString& shown)
{
    DIR* dir = ::opendir(folder.isEmpty() ? "/" : folder.constData());
    if (!dir)
        return {};
    QByteArray found;
    int matches = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (QFile::decodeName(name) == shown) {
            found = name;
            ++matches;
        }
    }
    ::closedir(dir);
    return matches == 1 ? found : QByteArray();
}
} // namespace

QString PathFromQtName(const QString& name)
{
    if (!name.contains(QChar::ReplacementCharacter))
        return name;
    const QStringList parts = name.split(QLatin1Char('/'));
    QByteArray bytes;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QByteArray folder = bytes;
        if (i > 0)
            bytes += '/';
        const QByteArray raw = parts[i].contains(QChar::ReplacementCharacter)
                                   ? entryShownAs(folder, parts[i])
                                   : QByteArray();
        bytes += raw.isEmpty() ? parts[i].toUtf8() : raw;
    }
    return PathFromBytes(bytes);
}

QStringList ArgumentPaths(int argc, char** argv)
{
    QStringList paths;
    for (int i = 1; i < argc; ++i)
        paths << PathFromBytes(QByteArray(argv[i]));
    return paths;
}

QString AbsolutePath(const QString& path)
{
    if (path.isEmpty() || path.startsWith(QLatin1Char('/')))
        return path.isEmpty() ? path : QDir::cleanPath(path);
    char buffer[PATH_MAX];
    // QDir::currentPath() would lose the bytes of a folder name that is not valid UTF-8.
    const QString here = ::getcwd(buffer, sizeof buffer) ? PathFromBytes(QByteArray(buffer))
                                                         : QDir::currentPath();
    return QDir::cleanPath(here + QLatin1Char('/') + path);
}
