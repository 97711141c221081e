// Resolution of the configuration and data folders.
#include "apppaths.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <unistd.h>

QString ConfigDir()
{
    QString dir = qEnvironmentVariable("MORVANE_HOME");
    if (dir.isEmpty()) {
        QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
        if (base.isEmpty() || !QDir::isAbsolutePath(base))
            base = QDir::homePath() + QStringLiteral("/.config");
        dir = base + QStringLiteral("/morvane");
    }
    QDir().mkpath(dir);
    return QDir::cleanPath(dir);
}

QString PropertyIniPath() { return ConfigDir() + QStringLiteral("/Property.ini"); }

QString BackupPath() { return ConfigDir() + QStringLiteral("/listbu.bak"); }

QString RuntimeDir()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const QFileInfo info(runtime);
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime) && info.isDir() && info.isWritable())
        return QDir::cleanPath(runtime);
    const QString dir = QDir::tempPath() + QStringLiteral("/morvane-%1").arg(::getuid());
    if (QDir().mkpath(dir))
        QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return dir;
}

QString InstanceLockPath()
{
    // One lock per settings folder, named by the folder so that two settings folders (portable
    // copies, tests) do not shut each other out.
    const QByteArray key =
        QCryptographicHash::hash(ConfigDir().toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return RuntimeDir() + QStringLiteral("/morvane-") + QString::fromLatin1(key) +
           QStringLiteral(".lock");
}

QString TemporaryJournalDir() { return ConfigDir() + QStringLiteral("/.unfinished"); }

QString DataDir()
{
    QString dir = qEnvironmentVariable("MORVANE_DATA");
    if (!dir.isEmpty())
        return QDir::cleanPath(dir);
    return ShippedDir(QCoreApplication::applicationDirPath(), QStringLiteral("share/morvane"));
}

QString ShippedDir(const QString& exeDir, const QString& relative)
{
    const QString besideProgram = exeDir + QLatin1Char('/') + relative;
    if (QFileInfo(besideProgram).isDir())
        return QDir::cleanPath(besideProgram);
    return QDir::cleanPath(exeDir + QStringLiteral("/../") + relative);
}
