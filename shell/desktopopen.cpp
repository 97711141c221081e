// xdg-open in the background: its exit status arrives later and turns into a message.
#include "desktopopen.h"

#include <QApplication>
#include <QPointer>
#include <QProcess>
#include <QWidget>

#include "messagebox.h"

namespace {
// xdg-open's exit statuses (xdg-utils): 2 the file does not exist, 3 no handler was found.
constexpr int kNoSuchFile = 2;
constexpr int kNoHandler = 3;

void tellFailure(QWidget* parent, const QString& target, const QString& what, const QString& why)
{
    ShowMessage(parent, QStringLiteral("%1を開けませんでした。\r%2\r%3").arg(what, target, why),
                kAppTitle, QMessageBox::Warning);
}
}  // namespace

bool OpenWithDesktop(QWidget* parent, const QString& target, const QString& what)
{
    auto* process = new QProcess(qApp);
    process->setProgram(QStringLiteral("xdg-open"));
    process->setArguments({target});
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    QPointer<QWidget> owner(parent);
    QObject::connect(process, &QProcess::finished, process, [=](int code, QProcess::ExitStatus) {
        process->deleteLater();
        if (code == kNoHandler)
            tellFailure(owner, target, what,
                        QStringLiteral("これを開くアプリケーションがデスクトップに登録されていません"
                                       "（xdg-open: no method available）。"));
        else if (code == kNoSuchFile)
            tellFailure(owner, target, what, QStringLiteral("ファイルが見つかりません。"));
    });
    process->start();
    if (!process->waitForStarted(2000)) {
        process->deleteLater();
        tellFailure(parent, target, what,
                    QStringLiteral("xdg-open を起動できませんでした（パッケージ xdg-utils）。"));
        return false;
    }
    return true;
}
