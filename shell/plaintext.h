// Text from a file, a tag or a path, readied for the Qt places that guess rich text from the
// text itself (tooltips, the tray's tip): it is shown as written and never loads anything.
#pragma once

#include <QString>

// The text itself when Qt would take it as plain; else the same text escaped inside a
// paragraph that keeps its spaces and line ends.
QString PlainToolTip(const QString& text);
