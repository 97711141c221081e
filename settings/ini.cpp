// A small INI store with the classic API's semantics, on UTF-8 files with a Shift-JIS fallback.
#include "ini.h"

#include "textcodec.h"

#include <QFile>
#include <QSaveFile>
#include <QStringList>

namespace {

QStringList readLines(const QString& file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QString text = DecodeText(f.readAll());
    // Accept CR LF, LF and lone CR line ends.
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

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
        lines[keyAt] = newLine;
    } else if (sectionStart >= 0) {
        lines.insert(insertAt, newLine);
    } else {
        lines << QLatin1Char('[') + section + QLatin1Char(']') << newLine;
    }

    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    QByteArray bytes = (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
    if (out.write(bytes) != bytes.size())
        return false;
    return out.commit();
}
