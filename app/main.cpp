// Entry point of Morvane: one instance per user, then the app's start-up and main loop.
#include "app.h"
#include "apppaths.h"
#include "messagebox.h"
#include "settingsstore.h"

#include "desktop/handover.h"

#include "engine/playbackengine.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QLockFile>
#include <QTemporaryFile>

#include <cstdio>

namespace {

// How long a second start waits for the running instance to take its files.
constexpr int kHandOverTimeoutMs = 4000;

void setUpFonts()
{
    // The skin's Japanese font names, mapped to the proportional Gothic Debian ships.
    const QStringList gothic{QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP")};
    QFont::insertSubstitutions(QStringLiteral("MS PGothic"), gothic);
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"), gothic);
}

bool configFolderWritable()
{
    QTemporaryFile probe(ConfigDir() + QStringLiteral("/.write-test-XXXXXX"));
    return probe.open();
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Morvane"));
    QApplication::setApplicationVersion(QStringLiteral("2.30"));
    QApplication::setQuitOnLastWindowClosed(false);
    setUpFonts();

    // One instance per user (per settings folder).
    QLockFile lock(ConfigDir() + QStringLiteral("/morvane.lock"));
    lock.setStaleLockTime(0);
    const QString handOverName = HandOverName(ConfigDir());
    if (!lock.tryLock(0)) {
        // The running instance takes this start's files (or raises its windows); only when it
        // does not answer is the start refused.
        const QStringList args =
            AbsoluteArguments(application.arguments().mid(1), QDir::currentPath());
        if (HandOver(handOverName, args, kHandOverTimeoutMs) == HandOverResult::Delivered)
            return 0;
        ShowMessage(nullptr, QStringLiteral("Morvaneの二重起動は出来ません！"));
        return 0;
    }

    if (configFolderWritable()) {
        EnsureSettingsFile(PropertyIniPath());
    } else {
        ShowMessage(nullptr,
                    QStringLiteral("設定フォルダに書き込めません。\r"
                                   "設定とプレイリストは保存されません。\r") +
                        QDir::toNativeSeparators(ConfigDir()),
                    kAppTitle, QMessageBox::Warning);
    }

    AppState state;
    PlaybackEngine engine;
    App app(state, engine);
    app.load(application.arguments().mid(1));
    HandOverServer handOver([&app](const QStringList& args) { app.openHandedOver(args); });
    handOver.listen(handOverName);
    app.run();
    return 0;
}
