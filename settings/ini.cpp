// A small INI store with the classic API's semantics, on UTF-8 files with a legacy-text fallback.
// Each file is read once and kept in memory (read again only when it changes on disk); every
// write goes through the safe-write routine. UI thread only.
#include "ini.h"

#include "messagebox.h"
#include "safesave.h"
#include "textcodec.h"

#include "engine/io/plainfile.h"

#include <QFile>
#include <QStringList>

#include <chrono>
#include <map>

#include <sys/stat.h>

namespace {

// A settings file is a few kilobytes; one far larger is not read, so that a wrong or damaged
// file cannot hold up the program.
constexpr qint64 kMaxIniBytes = 4LL * 1024 * 1024;

struct Signature {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = -1;
    long long modifiedNs = -1;
    bool operator==(const Signature&) const = default;
};

struct CachedFile {
    QStringList lines;
    Signature signature;  // of the file the lines came from or were last written to
    bool memoryOnly = false;  // refused or not writable: changes stay in memory for this run
    bool reported = false;    // the user has been told once
};

std::map<QString, CachedFile>& cache()
{
    static std::map<QString, CachedFile> files;
    return files;
}

Signature signatureOf(const QString& file)
{
    Signature sig;
    struct stat st {};
    if (::stat(QFile::encodeName(file).constData(), &st) != 0)
        return sig;
    sig.device = st.st_dev;
    sig.inode = st.st_ino;
    sig.size = st.st_size;
    sig.modifiedNs = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    return sig;
}

void tellOnce(CachedFile& entry, const QString& what, const QString& file, const QString& reason)
{
    if (entry.reported)
        return;
    entry.reported = true;
    ShowMessage(nullptr, SaveFailureText(what, file, reason), kAppTitle, QMessageBox::Warning);
}

QStringList parseLines(const QByteArray& bytes)
{
    QString text = DecodeText(bytes);
    // Accept CR LF, LF and lone CR line ends.
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

CachedFile& load(const QString& file)
{
    CachedFile& entry = cache()[file];
    if (entry.memoryOnly)
        return entry;
    const Signature now = signatureOf(file);
    // File times tick in steps of milliseconds: a file changed in the last two seconds may
    // have changed again within one step, so only an older one is trusted to its signature.
    const auto age = std::chrono::system_clock::now().time_since_epoch() -
                     std::chrono::nanoseconds(now.modifiedNs);
    if (now == entry.signature && age > std::chrono::seconds(2))
        return entry;
    entry.signature = now;
    entry.lines.clear();
    if (now.size < 0)
        return entry;  // missing: empty
    if (now.size > kMaxIniBytes) {
        entry.memoryOnly = true;
        tellOnce(entry, QStringLiteral("設定ファイルが大きすぎるため読み込みませんでした。"
                                       "\r設定はこの起動の間だけ保たれます。"),
                 file, QString());
        return entry;
    }
    // Only a plain file: a pipe would block the program, a device would never end.
    QFile f(file);
    if (!IsPlainFile(QFile::encodeName(file).toStdString()) || !f.open(QIODevice::ReadOnly))
        return entry;
    entry.lines = parseLines(f.read(kMaxIniBytes));
    return entry;
}

const QStringList& readLines(const QString& file) { return load(file).lines; }

bool isBlank(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); }

QString trimBlanks(const QString& s)
{
    int begin = 0;
    int end = s.size();
    while (begin < end && isBlank(s[begin]))
        ++begin;
    while (end > begin && isBlank(s[end - 1]))
        --end;
    return s.mid(begin, end - begin);
}

// The section name of a "[name]" line, or a null string for other lines.
QString sectionOf(const QString& line)
{
    QString t = trimBlanks(line);
    if (t.startsWith(QLatin1Char('[')) && t.contains(QLatin1Char(']')))
        return trimBlanks(t.mid(1, t.indexOf(QLatin1Char(']')) - 1));
    return QString();
}

bool keyLine(const QString& line, QString& key, QString& value)
{
    int eq = line.indexOf(QLatin1Char('='));
    if (eq < 0)
        return false;
    key = trimBlanks(line.left(eq));
    value = trimBlanks(line.mid(eq + 1));
    return !key.isEmpty() && !key.startsWith(QLatin1Char(';'));
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

}  // namespace

QString ReadIni(const QString& section, const QString& key, int size, const QString& file)
{
    if (size <= 0)
        return QString();
    const QStringList lines = readLines(file);
    bool inSection = false;
    bool seenSection = false;
    for (const QString& line : lines) {
        QString name = sectionOf(line);
        if (!name.isNull()) {
            // Only the first section of a name counts, as with the classic API.
            if (inSection)
                break;
            inSection = !seenSection && sameName(name, section);
            seenSection = seenSection || inSection;
            continue;
        }
        QString k, v;
        if (inSection && keyLine(line, k, v) && sameName(k, key)) {
            // Quotes around the whole value are removed by the classic reader.
            if (v.size() >= 2 && v.startsWith(QLatin1Char('"')) && v.endsWith(QLatin1Char('"')))
                v = v.mid(1, v.size() - 2);
            return v.left(size - 1);
        }
    }
    return QString(QLatin1String(""));
}

bool WriteIni(const QString& section, const QString& key, const QString& value, const QString& file)
{
    QString clean = value;
    clean.replace(QLatin1Char('\r'), QLatin1Char(' '));
    clean.replace(QLatin1Char('\n'), QLatin1Char(' '));
    const QString newLine = key + QLatin1Char('=') + clean;

    QStringList lines = readLines(file);
    int sectionStart = -1;
    int insertAt = -1;  // after the last key line of the section
    int keyAt = -1;
    for (int i = 0; i < lines.size(); ++i) {
        QString name = sectionOf(lines[i]);
        if (!name.isNull()) {
            if (sectionStart >= 0)
                break;
            if (sameName(name, section)) {
                sectionStart = i;
                insertAt = i + 1;
            }
            continue;
        }
        if (sectionStart < 0)
            continue;
        QString k, v;
        if (keyLine(lines[i], k, v)) {
            insertAt = i + 1;
            if (sameName(k, key)) {
                keyAt = i;
                break;
            }
        }
    }
    if (keyAt >= 0) {
        // A value written again unchanged costs no disk write.
        if (lines[keyAt] == newLine && !load(file).memoryOnly)
            return true;
        lines[keyAt] = newLine;
    } else if (sectionStart >= 0) {
        lines.insert(insertAt, newLine);
    } else {
        lines << QLatin1Char('[') + section + QLatin1Char(']') << newLine;
    }

    CachedFile& entry = load(file);
    entry.lines = lines;
    if (entry.memoryOnly)
        return false;
    const QByteArray bytes =
        (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
    QString reason;
    if (!SaveBytes(file, bytes, &reason)) {
        // The old file stays as it was; the new value lives on in memory for this run.
        entry.memoryOnly = true;
        tellOnce(entry, QStringLiteral("設定を保存できませんでした！"), file, reason);
        return false;
    }
    entry.signature = signatureOf(file);
    return true;
}

void KeepIniInMemory(const QString& file)
{
    CachedFile& entry = load(file);
    entry.memoryOnly = true;
    entry.reported = true;
}
