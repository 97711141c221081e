// Text folding for finding tracks by typing: what the user types and what the rows hold are
// compared after both are folded.
#pragma once

#include <QString>

// Folds text so that forms a reader takes for the same letters compare equal: compatibility
// forms become their ordinary ones (full-width Latin "ＡＢＣ" and half-width kana "ｻｸﾗ" become
// "abc" and "サクラ"), case is folded, hiragana becomes katakana, and runs of blanks become one
// blank.
QString FoldForSearch(const QString& text);
