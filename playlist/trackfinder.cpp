// Folding of text for the jump box's matching.
#include "trackfinder.h"

QString FoldForSearch(const QString& text)
{
    // NFKC turns full-width Latin into ASCII and half-width katakana (with their separate voicing
    // marks) into composed full-width katakana.
    QString folded = text.normalized(QString::NormalizationForm_KC).toCaseFolded();
    QString out;
    out.reserve(folded.size());
    bool lastBlank = false;
    for (QChar c : folded) {
        const char16_t u = c.unicode();
        if (c.isSpace()) {
            if (!lastBlank)
                out += QLatin1Char(' ');
            lastBlank = true;
            continue;
        }
        lastBlank = false;
        // Hiragana ぁ..ゖ and the iteration marks ゝゞ sit 0x60 below their katakana.
        if ((u >= 0x3041 && u <= 0x3096) || u == 0x309D || u == 0x309E)
            out += QChar(static_cast<char16_t>(u + 0x60));
        else
            out += c;
    }
    return out;
}
