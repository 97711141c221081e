// The main window's text font ("ＭＳ Ｐゴシック"), mapped to the installed Japanese proportional
// Gothic on this platform.
#pragma once

#include <QFont>

// Adds the substitutions "ＭＳ Ｐゴシック" / "MS PGothic" -> IPAPGothic (once per process).
void InstallFontSubstitutions();
// The font every text of the frame is drawn in: 12 pixels, the substitutions installed.
QFont FrameFont();
