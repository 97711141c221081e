// Tests of the XDG registration: desktop entry, mimeapps.list editing, the file types' icons and
// xdg-mime's view.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "shell/fileassociation.h"

namespace {

QString readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Points HOME and the XDG folders at a fresh temporary folder for the length of a test.
class XdgHomeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        for (const char* name : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_DATA_DIRS",
                                 "XDG_CONFIG_DIRS", "XDG_CURRENT_DESKTOP"}) {
            m_saved.push_back({name, qgetenv(name), qEnvironmentVariableIsSet(name)});
        }
        qputenv("HOME", m_dir.path().toUtf8());
        qputenv("XDG_DATA_HOME", (m_dir.path() + "/data").toUtf8());
        qputenv("XDG_CONFIG_HOME", (m_dir.path() + "/config").toUtf8());
        // No system folders: only what the test writes can answer.
        qputenv("XDG_DATA_DIRS", (m_dir.path() + "/system-data").toUtf8());
        qputenv("XDG_CONFIG_DIRS", (m_dir.path() + "/system-config").toUtf8());
        qunsetenv("XDG_CURRENT_DESKTOP");
    }

    void TearDown() override
    {
        for (const auto& saved : m_saved) {
            if (saved.wasSet)
                qputenv(saved.name, saved.value);
            else
                qunsetenv(saved.name);
        }
    }

    QString path(const QString& relative) const { return m_dir.path() + "/" + relative; }

    QTemporaryDir m_dir;

private:
    struct Saved {
        const char* name;
        QByteArray value;
        bool wasSet;
    };
    std::vector<Saved> m_saved;
};

QString program() { return QCoreApplication::applicationFilePath(); }

}  // namespace

using FileAssociationTest = XdgHomeTest;

TEST_F(FileAssociationTest, PathsFollowXdgVariables)
{
    EXPECT_EQ(DesktopEntryPath(), path("data/applications/morvane.desktop"));
    EXPECT_EQ(MimeAppsListPath(), path("config/mimeapps.list"));
}

TEST_F(FileAssociationTest, PathsFallBackToHomeWhenVariablesAreUnsetOrRelative)
{
    qunsetenv("XDG_DATA_HOME");
    qputenv("XDG_CONFIG_HOME", "relative/config");
    EXPECT_EQ(DesktopEntryPath(), path(".local/share/applications/morvane.desktop"));
    EXPECT_EQ(MimeAppsListPath(), path(".config/mimeapps.list"));
}

TEST_F(FileAssociationTest, RegisterWritesDesktopEntryWithProgramAndTypes)
{
    ASSERT_TRUE(RegisterFileTypes("/opt/morvane/bin/morvane"));
    const QString entry = readAll(DesktopEntryPath());
    EXPECT_TRUE(entry.startsWith("[Desktop Entry]\n"));
    EXPECT_TRUE(entry.contains("\nExec=/opt/morvane/bin/morvane %F\n"));
    EXPECT_TRUE(entry.contains("\nMimeType=audio/mpeg;audio/flac;audio/x-vorbis+ogg;audio/x-opus+ogg;"
                               "audio/mp4;audio/x-wav;audio/x-aiff;audio/x-mpegurl;\n"));
    EXPECT_TRUE(entry.contains("\nIcon=morvane\n"));

    const QString validator = QStandardPaths::findExecutable("desktop-file-validate");
    if (!validator.isEmpty()) {
        QProcess process;
        process.start(validator, {DesktopEntryPath()});
        ASSERT_TRUE(process.waitForFinished(10000));
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardOutput().toStdString();
    }
}

TEST_F(FileAssociationTest, ExecQuotesAndEscapesAwkwardProgramPaths)
{
    EXPECT_EQ(DesktopExecValue("/usr/bin/morvane"), "/usr/bin/morvane %F");
    EXPECT_EQ(DesktopExecValue("/home/a b/morvane"), "\"/home/a b/morvane\" %F");
    // A dollar is escaped inside the quotes, the backslash then doubled by string escaping.
    EXPECT_EQ(DesktopExecValue("/x/$HOME/m"), "\"/x/\\\\$HOME/m\" %F");
    EXPECT_EQ(DesktopExecValue("/x/100%/m"), "/x/100%%/m %F");
    EXPECT_EQ(DesktopExecValue("/x/\"q\"/m"), "\"/x/\\\\\"q\\\\\"/m\" %F");
}

// The lines registering adds for every claimed type but MP3, in the table's order.
static QString addedLinesAfterMp3()
{
    return "audio/flac=morvane.desktop;\n"
           "audio/x-vorbis+ogg=morvane.desktop;\n"
           "audio/x-opus+ogg=morvane.desktop;\n"
           "audio/mp4=morvane.desktop;\n"
           "audio/x-wav=morvane.desktop;\n"
           "audio/x-aiff=morvane.desktop;\n"
           "audio/x-mpegurl=morvane.desktop;\n";
}

TEST_F(FileAssociationTest, RegisterCreatesMimeAppsListWithBothSections)
{
    ASSERT_TRUE(RegisterFileTypes(program()));
    const QString list = readAll(MimeAppsListPath());
    EXPECT_EQ(list, "[Default Applications]\n"
                    "audio/mpeg=morvane.desktop;\n" +
                        addedLinesAfterMp3() +
                        "\n"
                        "[Added Associations]\n"
                        "audio/mpeg=morvane.desktop;\n" +
                        addedLinesAfterMp3());
}

TEST_F(FileAssociationTest, RegisterAndUnregisterKeepEveryOtherLine)
{
    const QByteArray original = "# my associations\n"
                                "[Added Associations]\n"
                                "audio/mpeg=vlc.desktop;\n"
                                "text/plain=gedit.desktop;\n"
                                "\n"
                                "[Default Applications]\n"
                                "audio/mpeg=vlc.desktop;\n"
                                "image/png=eog.desktop;\n"
                                "\n"
                                "[Removed Associations]\n"
                                "audio/mpeg=morvane.desktop;totem.desktop;\n";
    writeAll(MimeAppsListPath(), original);

    ASSERT_TRUE(RegisterFileTypes(program()));
    const QString registered = readAll(MimeAppsListPath());
    EXPECT_EQ(registered, "# my associations\n"
                          "[Added Associations]\n"
                          "audio/mpeg=morvane.desktop;vlc.desktop;\n"
                          "text/plain=gedit.desktop;\n" +
                              addedLinesAfterMp3() +
                              "\n"
                              "[Default Applications]\n"
                              "audio/mpeg=morvane.desktop;vlc.desktop;\n"
                              "image/png=eog.desktop;\n" +
                              addedLinesAfterMp3() +
                              "\n"
                              "[Removed Associations]\n"
                              "audio/mpeg=totem.desktop;\n");

    ASSERT_TRUE(UnregisterFileTypes());
    EXPECT_EQ(readAll(MimeAppsListPath()),
              "# my associations\n"
              "[Added Associations]\n"
              "audio/mpeg=vlc.desktop;\n"
              "text/plain=gedit.desktop;\n"
              "\n"
              "[Default Applications]\n"
              "audio/mpeg=vlc.desktop;\n"
              "image/png=eog.desktop;\n"
              "\n"
              "[Removed Associations]\n"
              "audio/mpeg=totem.desktop;\n");
}

TEST_F(FileAssociationTest, RegisteringTwiceGivesTheSameFiles)
{
    writeAll(MimeAppsListPath(), "[Default Applications]\naudio/mpeg=vlc.desktop\n");
    ASSERT_TRUE(RegisterFileTypes(program()));
    const QString list = readAll(MimeAppsListPath());
    const QString entry = readAll(DesktopEntryPath());
    ASSERT_TRUE(RegisterFileTypes(program()));
    EXPECT_EQ(readAll(MimeAppsListPath()), list);
    EXPECT_EQ(readAll(DesktopEntryPath()), entry);
    EXPECT_EQ(list.count("morvane.desktop"), 2 * kAssociatedMimeTypes.size());
}

TEST_F(FileAssociationTest, UnregisterLeavesOtherTypesThatNameMorvane)
{
    writeAll(MimeAppsListPath(), "[Default Applications]\n"
                                 "audio/x-ape=morvane.desktop;\n"
                                 "audio/mpeg=morvane.desktop;\n");
    ASSERT_TRUE(UnregisterFileTypes());
    EXPECT_EQ(readAll(MimeAppsListPath()), "[Default Applications]\n"
                                           "audio/x-ape=morvane.desktop;\n");
}

TEST_F(FileAssociationTest, UnregisterKeepsEntryWithoutMimeClaim)
{
    ASSERT_TRUE(RegisterFileTypes("/opt/morvane/bin/morvane"));
    ASSERT_TRUE(UnregisterFileTypes());
    const QString entry = readAll(DesktopEntryPath());
    EXPECT_TRUE(entry.contains("Exec=/opt/morvane/bin/morvane %F"));
    EXPECT_FALSE(entry.contains("MimeType"));
}

TEST_F(FileAssociationTest, UnregisterWithoutRegistrationCreatesNothing)
{
    ASSERT_TRUE(UnregisterFileTypes());
    EXPECT_FALSE(QFileInfo::exists(DesktopEntryPath()));
    EXPECT_FALSE(QFileInfo::exists(MimeAppsListPath()));
}

TEST_F(FileAssociationTest, CrLfFileKeepsItsLineEnds)
{
    writeAll(MimeAppsListPath(), "[Default Applications]\r\nimage/png=eog.desktop;\r\n");
    ASSERT_TRUE(RegisterFileTypes(program()));
    const QString list = readAll(MimeAppsListPath());
    EXPECT_TRUE(list.startsWith("[Default Applications]\r\nimage/png=eog.desktop;\r\n"
                                "audio/mpeg=morvane.desktop;\r\n"));
    EXPECT_EQ(list.count('\n'), list.count("\r\n"));
}

TEST_F(FileAssociationTest, FileWithoutFinalLineEndGetsTheNewLineOnItsOwn)
{
    writeAll(MimeAppsListPath(), "[Default Applications]\nimage/png=eog.desktop;");
    ASSERT_TRUE(RegisterFileTypes(program()));
    EXPECT_TRUE(readAll(MimeAppsListPath())
                    .startsWith("[Default Applications]\nimage/png=eog.desktop;\n"
                                "audio/mpeg=morvane.desktop;\n"));
}

TEST_F(FileAssociationTest, UnwritableConfigFolderIsReported)
{
    // A plain file where the config folder should be cannot be written into, even as root.
    writeAll(path("config"), "not a folder");
    EXPECT_FALSE(RegisterFileTypes(program()));
    EXPECT_EQ(readAll(path("config")), "not a folder");
}

TEST_F(FileAssociationTest, XdgMimeAnswersMorvaneOnlyWhileRegistered)
{
    const QString xdgMime = QStandardPaths::findExecutable("xdg-mime");
    if (xdgMime.isEmpty())
        GTEST_SKIP() << "xdg-mime is not installed (package xdg-utils)";
    auto query = [&](const QString& type) {
        QProcess process;
        process.start(xdgMime, {"query", "default", type});
        process.waitForFinished(10000);
        return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    };
    ASSERT_TRUE(RegisterFileTypes(program()));
    EXPECT_EQ(query("audio/mpeg"), "morvane.desktop");
    EXPECT_EQ(query("audio/x-mpegurl"), "morvane.desktop");
    ASSERT_TRUE(UnregisterFileTypes());
    EXPECT_NE(query("audio/mpeg"), "morvane.desktop");
    EXPECT_NE(query("audio/x-mpegurl"), "morvane.desktop");
}

TEST_F(FileAssociationTest, StaleUserMimeCacheIsRefreshedOnUnregister)
{
    const QString xdgMime = QStandardPaths::findExecutable("xdg-mime");
    if (xdgMime.isEmpty() || QStandardPaths::findExecutable("update-desktop-database").isEmpty())
        GTEST_SKIP() << "xdg-mime or update-desktop-database is not installed";
    ASSERT_TRUE(RegisterFileTypes(program()));
    // A cache built while Morvane claimed the types, as a desktop session would leave it.
    writeAll(path("data/applications/mimeinfo.cache"),
             "[MIME Cache]\naudio/mpeg=morvane.desktop;\naudio/x-mpegurl=morvane.desktop;\n");
    ASSERT_TRUE(UnregisterFileTypes());
    QProcess process;
    process.start(xdgMime, {"query", "default", "audio/mpeg"});
    process.waitForFinished(10000);
    EXPECT_NE(QString::fromUtf8(process.readAllStandardOutput()).trimmed(), "morvane.desktop");
    EXPECT_FALSE(readAll(path("data/applications/mimeinfo.cache")).contains("morvane"));
}

// The build tree's executable stands for the program: its icons lie in the build tree, where no
// desktop looks, so registering copies them into the user's theme and names them in a MIME
// package that keeps the system's description of the type; unregistering takes the file types'
// icons back and keeps the program's own.
TEST_F(FileAssociationTest, RegisterFromBuildTreeGivesFileTypesTheirIcons)
{
    const QString program = MORVANE_BINARY_DIR "/morvane";
    const QString shipped = MORVANE_BINARY_DIR "/share/icons/hicolor/48x48/mimetypes/";
    ASSERT_TRUE(QFileInfo::exists(shipped + "morvane-audio-mpeg.png"));
    writeAll(path("system-data/mime/audio/mpeg.xml"),
             "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
             "<mime-type xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\" "
             "type=\"audio/mpeg\">\n"
             "  <!--Created automatically by update-mime-database. DO NOT EDIT!-->\n"
             "  <comment>MP3 audio</comment>\n"
             "  <comment xml:lang=\"ja\">MP3 オーディオ</comment>\n"
             "  <icon name=\"audio-mpeg\"/>\n"
             "  <glob pattern=\"*.mp3\"/>\n"
             "</mime-type>\n");
    ASSERT_TRUE(RegisterFileTypes(program));
    for (const char* icon : {"mimetypes/morvane-audio-mpeg.png",
                             "mimetypes/morvane-audio-x-mpegurl.png", "apps/morvane.png"}) {
        const QString copy = path("data/icons/hicolor/48x48/") + icon;
        EXPECT_FALSE(readAll(copy).isEmpty()) << copy.toStdString();
    }
    const QString package = readAll(MimePackagePath());
    EXPECT_TRUE(package.contains("<mime-type type=\"audio/mpeg\">\n"
                                 "    <comment>MP3 audio</comment>\n"
                                 "    <comment xml:lang=\"ja\">MP3 オーディオ</comment>\n"
                                 "    <glob pattern=\"*.mp3\"/>\n"
                                 "    <icon name=\"morvane-audio-mpeg\"/>\n"))
        << package.toStdString();
    EXPECT_TRUE(package.contains("<mime-type type=\"audio/x-mpegurl\">\n"
                                 "    <icon name=\"morvane-audio-x-mpegurl\"/>"));
    const bool mimeTool = !QStandardPaths::findExecutable("update-mime-database").isEmpty();
    if (mimeTool) {
        const QString icons = readAll(path("data/mime/icons"));
        EXPECT_TRUE(icons.contains("audio/mpeg:morvane-audio-mpeg\n")) << icons.toStdString();
        EXPECT_TRUE(icons.contains("audio/x-mpegurl:morvane-audio-x-mpegurl\n"));
    }

    ASSERT_TRUE(UnregisterFileTypes());
    EXPECT_FALSE(QFileInfo::exists(MimePackagePath()));
    EXPECT_FALSE(
        QFileInfo::exists(path("data/icons/hicolor/48x48/mimetypes/morvane-audio-mpeg.png")));
    EXPECT_TRUE(QFileInfo::exists(path("data/icons/hicolor/48x48/apps/morvane.png")));
    if (mimeTool) {
        EXPECT_FALSE(readAll(path("data/mime/icons")).contains("morvane"));
    }
}

// An installed program's icons already lie where the desktop looks: nothing is copied.
TEST_F(FileAssociationTest, RegisterInstalledProgramUsesItsIconsWhereTheyLie)
{
    qputenv("XDG_DATA_DIRS", path("usr/share").toUtf8());
    writeAll(path("usr/share/icons/hicolor/48x48/mimetypes/morvane-audio-mpeg.png"), "png");
    ASSERT_TRUE(RegisterFileTypes(path("usr/bin/morvane")));
    EXPECT_FALSE(QFileInfo::exists(path("data/icons")));
    EXPECT_TRUE(QFileInfo::exists(MimePackagePath()));
}

// The package's desktop entry, its AppStream data and its icons name every type the program
// registers for itself, so an installed and a registered Morvane claim the same files.
TEST(FileTypeTableTest, PackageClaimsEveryRegisteredTypeWithItsIcon)
{
    ASSERT_GE(kAssociatedMimeTypes.size(), 8);
    const QString entry = readAll(MORVANE_SOURCE_DIR "/data/morvane.desktop");
    EXPECT_TRUE(entry.contains(QStringLiteral("\nMimeType=") +
                               kAssociatedMimeTypes.join(QLatin1Char(';')) + QStringLiteral(";\n")))
        << entry.toStdString();
    const QString metainfo =
        readAll(MORVANE_SOURCE_DIR "/data/io.github.morvane.Morvane.metainfo.xml");
    for (qsizetype i = 0; i < kAssociatedMimeTypes.size(); ++i) {
        EXPECT_TRUE(metainfo.contains("<mediatype>" + kAssociatedMimeTypes[i] + "</mediatype>"))
            << kAssociatedMimeTypes[i].toStdString();
        for (const char* size : {"16x16", "48x48", "256x256"}) {
            const QString icon =
                QStringLiteral(MORVANE_SOURCE_DIR "/skin/icons/hicolor/%1/mimetypes/%2.png")
                    .arg(QLatin1String(size), kFileTypeIcons[i]);
            EXPECT_TRUE(QFileInfo::exists(icon)) << icon.toStdString();
        }
    }
}
