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
    const QString exeDir = QCoreApplication::applicationDirPath();
    for (const QString& candidate : {exeDir + QStringLiteral("/share/morvane"),
                                     exeDir + QStringLiteral("/../share/morvane")}) {
        if (QFileInfo(candidate).isDir())
            return QDir::cleanPath(candidate);
    }
    return QDir::cleanPath(exeDir + QStringLiteral("/../share/morvane"));
}
