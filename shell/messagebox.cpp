// Message boxes with a scripted mode for tests.
#include "messagebox.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QStyle>
#include <QTextLayout>
#include <QTextOption>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {
// The text's least width in a message box, in pixels: room for the caption on the title bar.
constexpr int kMessageMinTextWidth = 240;
// Qt lets no message box grow wider than this on a large screen.
constexpr int kMessageMaxTextWidth = 900;
// Besides its text a box holds its icon, the gap to it and the margins.
constexpr int kMessageBoxFrameRoom = 120;
constexpr QChar kBreakHint(0x200B); // zero width space: a place a line may break

struct Script {
    bool enabled = false;
    std::deque<QMessageBox::StandardButton> answers;
    std::vector<ShownMessage> shown;
};

Script& script()
{
    static Script s;
    return s;
}

QMessageBox::StandardButton firstButton(QMessageBox::StandardButtons buttons)
{
    for (uint bit = QMessageBox::FirstButton; bit <= QMessageBox::LastButton; bit <<= 1) {
        if (buttons & bit)
            return static_cast<QMessageBox::StandardButton>(bit);
    }
    return QMessageBox::Ok;
}

bool isSeparator(QChar c)
{
    return c == QLatin1Char('/') || c == QLatin1Char('\\');
}

// Lays out one line-free paragraph: after each path separator a break hint, so a path within
// a sentence breaks there before it breaks inside a name.
void wrapText(const QString& paragraph, const QFont& font, int maxWidth, QStringList& out)
{
    QString marked;
    std::vector<bool> hint;
    marked.reserve(paragraph.size() * 2);
    for (const QChar c : paragraph) {
        marked += c;
        hint.push_back(false);
        if (isSeparator(c)) {
            marked += kBreakHint;
            hint.push_back(true);
        }
    }
    QTextLayout layout(marked, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(maxWidth);
        QString text;
        const int end = line.textStart() + line.textLength();
        for (int i = line.textStart(); i < end; ++i) {
            if (!hint[static_cast<size_t>(i)])
                text += marked[i];
        }
        out << text;
    }
    layout.endLayout();
}

// A line that is a path: as many whole folders on each line as fit, a name longer than a line
// broken where the text rule breaks it.
void wrapPath(const QString& path, const QFont& font, int maxWidth, QStringList& out)
{
    const QFontMetricsF metrics(font);
    QString line;
    qsizetype start = 0;
    while (start < path.size()) {
        qsizetype end = start;
        while (end < path.size() && !isSeparator(path[end]))
            ++end;
        const QString segment = path.mid(start, end - start + (end < path.size() ? 1 : 0));
        start = end + 1;
        if (!line.isEmpty() && metrics.horizontalAdvance(line + segment) > maxWidth) {
            out << line;
            line.clear();
        }
        line += segment;
        if (metrics.horizontalAdvance(line) > maxWidth) {
            QStringList pieces;
            wrapText(line, font, maxWidth, pieces);
            line = pieces.takeLast();
            out << pieces;
        }
    }
    if (!line.isEmpty())
        out << line;
}

void wrapParagraph(const QString& paragraph, const QFont& font, int maxWidth, QStringList& out)
{
    if (paragraph.startsWith(QLatin1Char('/')))
        wrapPath(paragraph, font, maxWidth, out);
    else
        wrapText(paragraph, font, maxWidth, out);
}

int textWidthFor(const QWidget* parent)
{
    const QScreen* screen = parent ? parent->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const int screenWidth = screen ? screen->availableGeometry().width() : 1024;
    return std::clamp(screenWidth * 2 / 3 - kMessageBoxFrameRoom, kMessageMinTextWidth,
                      kMessageMaxTextWidth);
}
}  // namespace

QStringList WrapMessageLines(const QString& text, const QFont& font, int maxWidth)
{
    QString normal = text;
    normal.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    normal.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines;
    for (const QString& paragraph : normal.split(QLatin1Char('\n'))) {
        if (paragraph.isEmpty())
            lines << QString();
        else
            wrapParagraph(paragraph, font, maxWidth, lines);
    }
    return lines;
}

std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* parent, const QString& text,
                                            const QString& caption, QMessageBox::Icon icon,
                                            QMessageBox::StandardButtons buttons,
                                            QMessageBox::StandardButton defaultButton)
{
    auto box = std::make_unique<QMessageBox>(icon, caption, QString(), buttons, parent);
    if (defaultButton != QMessageBox::NoButton)
        box->setDefaultButton(defaultButton);
    // A file name such as <img src=...> must be shown, never loaded.
    box->setTextFormat(Qt::PlainText);
    auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    const QFont font = label ? label->font() : box->font();
    const QStringList lines = WrapMessageLines(text, font, textWidthFor(parent));
    const QFontMetricsF metrics(font);
    qreal widest = 0;
    for (const QString& line : lines)
        widest = std::max(widest, metrics.horizontalAdvance(line));
    box->setText(lines.join(QLatin1Char('\n')));
    // The label is as wide as the widest line, so Qt's own wrapping never breaks a line again;
    // never narrower than the caption needs on the title bar.
    const int width = std::max(kMessageMinTextWidth, static_cast<int>(std::ceil(widest)) + 2);
    box->setStyleSheet(QStringLiteral("QLabel#qt_msgbox_label { min-width: %1px; }").arg(width));
    return box;
}

QMessageBox::StandardButton ShowMessage(QWidget* parent, const QString& text,
                                        const QString& caption, QMessageBox::Icon icon,
                                        QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton)
{
    Script& s = script();
    if (s.enabled) {
        s.shown.push_back({text, caption, icon, buttons, defaultButton});
        if (s.answers.empty())
            return firstButton(buttons);
        auto answer = s.answers.front();
        s.answers.pop_front();
        return answer;
    }
    if (qEnvironmentVariable("MORVANE_MESSAGES") == QLatin1String("stderr")) {
        // Unattended runs (whole-program tests): say it on standard error, take the default.
        std::fprintf(stderr, "%s: %s\n", qPrintable(caption),
                     qPrintable(QString(text).replace(QLatin1Char('\r'), QLatin1Char(' '))));
        return defaultButton != QMessageBox::NoButton ? defaultButton : firstButton(buttons);
    }
    auto box = MakeMessageBox(parent, text, caption, icon, buttons, defaultButton);
    return static_cast<QMessageBox::StandardButton>(box->exec());
}

void MessageBoxScript::enable()
{
    clear();
    script().enabled = true;
}

void MessageBoxScript::disable()
{
    clear();
    script().enabled = false;
}

bool MessageBoxScript::enabled() { return script().enabled; }

void MessageBoxScript::pushAnswer(QMessageBox::StandardButton answer)
{
    script().answers.push_back(answer);
}

const std::vector<ShownMessage>& MessageBoxScript::shown() { return script().shown; }

QStringList MessageBoxScript::shownTexts()
{
    QStringList texts;
    for (const auto& m : script().shown)
        texts << m.text;
    return texts;
}

void MessageBoxScript::clear()
{
    script().answers.clear();
    script().shown.clear();
}
