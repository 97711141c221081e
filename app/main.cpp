// Entry point of Morvane: the settings folder checked, one instance per settings folder, then the app's start-up and main loop.
#include "app.h"
#include "apppaths.h"
#include "messagebox.h"
#include "ini.h"
#include "pathbytes.h"
#include "settingsstore.h"

#include "desktop/handover.h"
#include "engine/io/safefile.h"
#include "engine/playbackengine.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QLibraryInfo>
#include <QLockFile>
#include <QTemporaryFile>
#include <QTranslator>

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

// Qt's own dialogs and buttons ("Cancel", "Look in") in Japanese, like the rest of the program,
// whatever the desktop's language.
void loadQtTranslation(QTranslator& translator)
{
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (translator.load(QStringLiteral("qtbase_ja"), folder))
        QApplication::installTranslator(&translator);
    else
        std::fprintf(stderr, "morvane: qtbase_ja.qm not found in %s (package qt6-translations-l10n);"
                             " Qt's dialogs stay in English\n",
                     qPrintable(folder));
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
    QTranslator qtTranslation;
    loadQtTranslation(qtTranslation);

    // The settings folder is judged first, so that a read-only or full folder lets the program
    // run with one warning rather than passing for a second instance.
    AppState state;
    const bool writable = configFolderWritable();

    // One instance per settings folder; the lock lives in the runtime folder, where it can
    // always be made.
    QLockFile lock(InstanceLockPath());
    lock.setStaleLockTime(0);
    const QString handOverName = HandOverName(ConfigDir());
    if (!lock.tryLock(0)) {
        if (lock.error() == QLockFile::LockFailedError) {
            // The running instance takes this start's files (or raises its windows); only
            // when it does not answer is the start refused.
            QStringList args;
            for (const QString& arg : ArgumentPaths(argc, argv)) {
                if (!arg.isEmpty())
                    args << AbsolutePath(arg);
            }
            if (HandOver(handOverName, args, kHandOverTimeoutMs) == HandOverResult::Delivered)
                return 0;
            ShowMessage(nullptr, QStringLiteral("Morvaneの二重起動は出来ません！"));
            return 0;
        }
        std::fprintf(stderr, "morvane: the instance lock %s could not be made; running without it\n",
                     qPrintable(InstanceLockPath()));
    }

    if (writable) {
        SetTemporaryJournal(QFile::encodeName(TemporaryJournalDir()).toStdString());
        RemoveStaleTemporaries(QFile::encodeName(TemporaryJournalDir()).toStdString(),
                               {QFile::encodeName(ConfigDir()).toStdString()});
        EnsureSettingsFile(PropertyIniPath());
    } else {
        ShowMessage(nullptr,
                    QStringLiteral("設定フォルダに書き込めません。\r"
                                   "設定とプレイリストは保存されません。\r") +
                        QDir::toNativeSeparators(ConfigDir()),
                    kAppTitle, QMessageBox::Warning);
        KeepIniInMemory(PropertyIniPath());
        state.SettingsReadOnly = true;
    }

    PlaybackEngine engine;
    // Loudness measured for tracks without ReplayGain figures is kept for the next start.
    if (!state.SettingsReadOnly)
        engine.loudness().setCacheFile(
            QFile::encodeName(ConfigDir() + QStringLiteral("/ReplayGain.cache")).toStdString());
    App app(state, engine);
    app.load(ArgumentPaths(argc, argv));
    HandOverServer handOver([&app](const QStringList& args) { app.openHandedOver(args); });
    handOver.listen(handOverName);
    app.run();
    return 0;
}
