// Decoding of text files that may be UTF-8 (with or without BOM) or Shift-JIS.
#pragma once

#include <QByteArray>
#include <QString>

// UTF-16 with a byte-order mark; UTF-8 when the bytes are valid UTF-8 (a BOM is dropped);
// else Shift-JIS (CP932).
QString DecodeText(const QByteArray& bytes);
// True when bytes are valid UTF-8.
bool IsValidUtf8(const QByteArray& bytes);
