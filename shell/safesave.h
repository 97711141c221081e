// Qt's side of the program's one safe-write routine (engine/io/safefile.h): every file the
// program writes goes through SaveBytes.
#pragma once

#include <QByteArray>
#include <QString>

// Replaces path with bytes through a temporary beside it; on failure the old file is untouched
// and *reason (when given) says why in the program's Japanese style.
bool SaveBytes(const QString& path, const QByteArray& bytes, QString* reason = nullptr);

// "<what>\n<path>\n<reason>", the text of a failed save's message.
QString SaveFailureText(const QString& what, const QString& path, const QString& reason);
