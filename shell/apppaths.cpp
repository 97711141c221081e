// Resolution of the configuration and data folders.
#include "apppaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

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
