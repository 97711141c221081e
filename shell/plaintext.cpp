// Plain-text tooltips.
#include "plaintext.h"

#include <QTextDocument>

QString PlainToolTip(const QString& text)
{
    // Qt's own test for its tooltips: what it passes is shown as typed already.
    if (!Qt::mightBeRichText(text))
        return text;
    return QStringLiteral("<p style=\"white-space:pre\">") + text.toHtmlEscaped() +
           QStringLiteral("</p>");
}
