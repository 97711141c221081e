// The frame's text font and the substitutions that make the Windows font name find IPAPGothic.
#include "framefont.h"

#include <QStringList>

void InstallFontSubstitutions()
{
    static const bool installed = [] {
        const QStringList fallbacks{QStringLiteral("IPAPGothic"), QStringLiteral("IPA Pゴシック"),
                                    QStringLiteral("Noto Sans CJK JP")};
        QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"), fallbacks);
        QFont::insertSubstitutions(QStringLiteral("MS PGothic"), fallbacks);
        return true;
    }();
    (void)installed;
}

QFont FrameFont()
{
    InstallFontSubstitutions();
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPixelSize(12);
    // Grey-scale coverage only: the stamp blends it in one colour.
    font.setStyleStrategy(QFont::NoSubpixelAntialias);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}
