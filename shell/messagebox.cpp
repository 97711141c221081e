// Message boxes with a scripted mode for tests.
#include "messagebox.h"

#include <cstdio>

namespace {
// The text's least width in a message box, in pixels: room for the caption on the title bar.
constexpr int kMessageMinTextWidth = 240;

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
}  // namespace

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
    QMessageBox box(icon, caption, text, buttons, parent);
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    // Qt sizes a box to its text: a short text gave a narrow box whose caption was cut.
    box.setStyleSheet(QStringLiteral("QLabel#qt_msgbox_label { min-width: %1px; }")
                          .arg(kMessageMinTextWidth));
    return static_cast<QMessageBox::StandardButton>(box.exec());
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
