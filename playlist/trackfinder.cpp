// Folding of text for the jump box's matching.
#include "trackfinder.h"

namespace {
// Characters that normalisation and case folding leave as they are (apart from ASCII capitals,
// lowered below): ASCII, the ideographic blank and stops, hiragana, katakana with the long
// vowel mark, and the unified ideographs. Text made only of them skips both steps, which cost
// most of the folding of a long list.
bool isStable(char16_t u)
{
    return u < 0x80 || (u >= 0x3000 && u <= 0x3002) || (u >= 0x3041 && u <= 0x3096) ||
           (u >= 0x30A1 && u <= 0x30FA) || u == 0x30FC || (u >= 0x4E00 && u <= 0x9FFF);
}
} // namespace

QString FoldForSearch(const QString& text)
{
    bool stable = true;
    for (QChar c : text) {
        if (!isStable(c.unicode())) {
            stable = false;
            break;
        }
    }
    // NFKC turns full-width Latin into ASCII and half-width katakana (with their separate voicing
    // marks) into composed full-width katakana.
    const QString folded =
        stable ? text : text.normalized(QString::NormalizationForm_KC).toCaseFolded();
    QString out(folded.size(), Qt::Uninitialized);
    QChar* put = out.data();
    bool lastBlank = false;
    for (QChar c : folded) {
        const char16_t u = c.unicode();
        if (c.isSpace()) {
            if (!lastBlank)
                *put++ = QLatin1Char(' ');
            lastBlank = true;
            continue;
        }
        lastBlank = false;
        // Hiragana ぁ..ゖ and the iteration marks ゝゞ sit 0x60 below their katakana.
        if ((u >= 0x3041 && u <= 0x3096) || u == 0x309D || u == 0x309E)
            *put++ = QChar(static_cast<char16_t>(u + 0x60));
        else if (u >= 'A' && u <= 'Z')
            *put++ = QChar(static_cast<char16_t>(u + 0x20));
        else
            *put++ = c;
    }
    out.truncate(put - out.constData());
    return out;
}
