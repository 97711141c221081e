// A playlist with the engine test double, scripted message boxes and dialogs, and a fresh folder
// per test for the files the cases need.
#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include "state/appstate.h"
#include "playlist/playlistmodel.h"
#include "playlist/trackops.h"
#include "shell/dialogs.h"
#include "shell/messagebox.h"
#include "support/fakeengine.h"
#include "support/fixtures.h"

// Readable failure messages for Qt strings.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList& list, std::ostream* out)
{
    *out << '[' << list.join(QStringLiteral("|")).toStdString() << ']';
}

class PlaylistFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        MessageBoxScript::enable();
        DialogScript::clear();
        static int serial = 0;
        m_dir = QString::fromStdString(TestTempDir()) + QStringLiteral("/case%1").arg(++serial);
        QDir().mkpath(m_dir);
    }
    void TearDown() override
    {
        DialogScript::clear();
        MessageBoxScript::disable();
    }

    // A path inside this test's folder.
    QString path(const QString& name) const { return m_dir + QLatin1Char('/') + name; }

    // Writes bytes to a file in this test's folder (creating sub-folders) and returns its path.
    QString writeFile(const QString& name, const QByteArray& bytes) const
    {
        const QString full = path(name);
        QDir().mkpath(QFileInfo(full).absolutePath());
        QFile file(full);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << full.toStdString();
        file.write(bytes);
        return full;
    }
    // A stand-in MP3 of size bytes: the engine double never decodes it.
    QString writeMp3(const QString& name, int size = 2048) const
    {
        return writeFile(name, QByteArray(size, '\xff'));
    }
    QByteArray readFile(const QString& full) const
    {
        QFile file(full);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    std::string opened() const { return engine.lastOpened; }

    AppState state;
    FakeEngine engine;
    PlaylistModel model;
    TrackOps ops{state, engine, model};
    QString m_dir;
};
