// Opening a file, folder or web address with the desktop's handler, with a message when the
// desktop has none.
#pragma once

#include <QString>

class QWidget;

// Hands target (a path or an address) to xdg-open without waiting for it. When xdg-open is
// missing, finds no handler or no such file, a message box names what could not be opened
// ("what": ヘルプ, フォルダ...) and why. Returns false only when xdg-open could not be started.
bool OpenWithDesktop(QWidget* parent, const QString& target, const QString& what);
