// File names as the file system's bytes, the reason as the user reads it.
#include "safesave.h"

#include "engine/io/safefile.h"
#include "pathbytes.h"

#include <QDir>
#include <QFile>

bool SaveBytes(const QString& path, const QByteArray& bytes, QString* reason)
{
    WriteFailure failure;
    if (WriteFileAtomically(PathBytes(path).toStdString(),
                            std::string_view(bytes.constData(), size_t(bytes.size())), failure))
        return true;
    if (reason)
        *reason = QString::fromStdString(WriteFailureReason(failure.errorNumber));
    return false;
}

QString SaveFailureText(const QString& what, const QString& path, const QString& reason)
{
    QString text = what + QLatin1Char('\n') + QDir::toNativeSeparators(path);
    if (!reason.isEmpty())
        text += QLatin1Char('\n') + reason;
    return text;
}
