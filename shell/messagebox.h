// Every message box of the program goes through ShowMessage, so that tests can read what the
// user was told and script the answer.
#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>

class QFont;

#include <deque>
#include <memory>
#include <vector>

// The caption of message boxes where the program uses its own title.
inline const QString kAppTitle = QStringLiteral("Morvane");

// Shows a modal message box and returns the button pressed; Enter presses defaultButton (Qt's
// choice when NoButton). With MORVANE_MESSAGES=stderr the text goes to standard error instead and
// the default button (else the first offered one) is the answer.
QMessageBox::StandardButton ShowMessage(
    QWidget* parent, const QString& text, const QString& caption = kAppTitle,
    QMessageBox::Icon icon = QMessageBox::NoIcon,
    QMessageBox::StandardButtons buttons = QMessageBox::Ok,
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

// The message box ShowMessage would show, not yet shown: its text is plain (never rich text),
// laid out in lines no wider than two thirds of the screen that holds parent (else the primary
// screen), long paths broken after their separators, nothing cut.
std::unique_ptr<QMessageBox>
MakeMessageBox(QWidget* parent, const QString& text, const QString& caption = kAppTitle,
               QMessageBox::Icon icon = QMessageBox::NoIcon,
               QMessageBox::StandardButtons buttons = QMessageBox::Ok,
               QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

// Breaks text (any of \r\n, \r, \n ends a line) into lines of at most maxWidth pixels in
// font: at spaces and between Japanese characters first, after a path separator next, anywhere
// in a run that fits no other way. Joining the lines gives the text back with its line ends as
// \n.
QStringList WrapMessageLines(const QString& text, const QFont& font, int maxWidth);

// Test seam: while enabled, ShowMessage shows nothing, records the message and returns the next
// queued answer (or the first of the offered buttons when none is queued).
struct ShownMessage {
    QString text;
    QString caption;
    QMessageBox::Icon icon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton;
};

class MessageBoxScript {
public:
    static void enable();   // also clears the log and the queue
    static void disable();
    static bool enabled();
    static void pushAnswer(QMessageBox::StandardButton answer);
    static const std::vector<ShownMessage>& shown();
    static QStringList shownTexts();
    static void clear();
};
