// Reads the tags of playlist rows (title, artist, album, length) on one background thread, so
// that thousands of rows appear at once and their tag columns fill in behind them.
//
// Threads: the UI thread queues rows and takes results (a timer polls while work is pending);
// the reader thread reads files. They share one queue under one mutex; the reader never calls
// into Qt objects. At destruction the reader is told to stop and left to end on its own, so a
// file read that hangs (a stalled network share) never holds up the UI thread.
#pragma once

#include "playlistmodel.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QTimer;

// The tags of one file, through the engine's tag layer; blocks on file I/O.
RowTags ReadRowTags(const QString& path);

class RowTagLoader : public QObject {
    Q_OBJECT
public:
    // Reads with reader (ReadRowTags unless a test gives another) into model's rows.
    explicit RowTagLoader(PlaylistModel& model,
                          std::function<RowTags(const QString&)> reader = ReadRowTags,
                          QObject* parent = nullptr);
    ~RowTagLoader() override;

    // From now on every row without tags is read, rows added later too. Until then nothing is
    // read: a list whose tags nobody shows costs no disk work.
    void enable();
    bool enabled() const { return m_enabled; }
    // True while rows wait to be read or results wait to be taken.
    bool busy() const;
    // Applies the results read so far (the timer does this every 100 ms).
    void takeResults();

private:
    struct Shared;
    void queueUnread(int first, int last);

    PlaylistModel& m_model;
    std::shared_ptr<Shared> m_shared;
    QTimer* m_poll = nullptr;
    bool m_enabled = false;
};
