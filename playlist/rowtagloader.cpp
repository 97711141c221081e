// Background reading of the playlist rows' tags.
#include "rowtagloader.h"

#include "engine/meta/streamfacts.h"
#include "engine/meta/tagreader.h"
#include "shell/pathbytes.h"

#include <QTimer>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace {
constexpr int kPollMs = 100;
} // namespace

RowTags ReadRowTags(const QString& path)
{
    RowTags tags;
    const std::string bytes = PathBytes(path).toStdString();
    TagInfo tag;
    if (ReadTag(bytes, tag)) {
        tags.title = QString::fromStdString(tag.title).trimmed();
        tags.artist = QString::fromStdString(tag.artist).trimmed();
        tags.album = QString::fromStdString(tag.album).trimmed();
    }
    // Every format's length through the same tag layer; no scan of the whole file.
    StreamFacts facts;
    if (ReadStreamFacts(bytes, facts) && facts.lengthMs > 0)
        tags.lengthMs = facts.lengthMs;
    return tags;
}

struct RowTagLoader::Shared {
    struct Job {
        int row = 0;
        QString path;
    };
    struct Result {
        int row = 0;
        QString path;
        RowTags tags;
    };
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<Job> jobs;
    std::vector<Result> results;
    bool reading = false;
    bool stop = false;
    std::function<RowTags(const QString&)> reader;
};

RowTagLoader::RowTagLoader(PlaylistModel& model, std::function<RowTags(const QString&)> reader,
                           QObject* parent)
    : QObject(parent), m_model(model), m_shared(std::make_shared<Shared>())
{
    m_shared->reader = std::move(reader);
    m_poll = new QTimer(this);
    m_poll->setInterval(kPollMs);
    connect(m_poll, &QTimer::timeout, this, &RowTagLoader::takeResults);
    connect(&m_model, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { queueUnread(first, last); });
    connect(&m_model, &QAbstractItemModel::modelReset, this, [this] {
        const std::lock_guard lock(m_shared->mutex);
        m_shared->jobs.clear();
    });

    std::thread([shared = m_shared] {
        std::unique_lock lock(shared->mutex);
        for (;;) {
            shared->wake.wait(lock, [&] { return shared->stop || !shared->jobs.empty(); });
            if (shared->stop)
                return;
            Shared::Job job = std::move(shared->jobs.front());
            shared->jobs.pop_front();
            shared->reading = true;
            lock.unlock();
            RowTags tags = shared->reader(job.path);
            lock.lock();
            shared->reading = false;
            shared->results.push_back({job.row, std::move(job.path), std::move(tags)});
        }
    }).detach();
}

RowTagLoader::~RowTagLoader()
{
    const std::lock_guard lock(m_shared->mutex);
    m_shared->stop = true;
    m_shared->jobs.clear();
    m_shared->wake.notify_all();
}

void RowTagLoader::enable()
{
    if (m_enabled)
        return;
    m_enabled = true;
    queueUnread(0, m_model.count() - 1);
}

bool RowTagLoader::busy() const
{
    const std::lock_guard lock(m_shared->mutex);
    return m_shared->reading || !m_shared->jobs.empty() || !m_shared->results.empty();
}

void RowTagLoader::queueUnread(int first, int last)
{
    if (!m_enabled || first > last)
        return;
    {
        const std::lock_guard lock(m_shared->mutex);
        for (int i = first; i <= last; ++i) {
            const PlaylistRow& r = m_model.rowRef(i + 1);
            if (!r.tagsRead && !r.path.isEmpty())
                m_shared->jobs.push_back({i + 1, r.path});
        }
        m_shared->wake.notify_all();
    }
    if (!m_poll->isActive())
        m_poll->start();
}

void RowTagLoader::takeResults()
{
    std::vector<Shared::Result> results;
    bool pending = false;
    {
        const std::lock_guard lock(m_shared->mutex);
        results.swap(m_shared->results);
        pending = m_shared->reading || !m_shared->jobs.empty();
    }
    for (const Shared::Result& result : results) {
        if (m_model.rowRef(result.row).path == result.path) {
            m_model.setRowTags(result.row, result.path, result.tags);
            continue;
        }
        // The row moved or rows above it went while it was read: every unread row of that
        // path takes the tags.
        for (int n = 1; n <= m_model.count(); ++n) {
            const PlaylistRow& r = m_model.rowRef(n);
            if (!r.tagsRead && r.path == result.path)
                m_model.setRowTags(n, result.path, result.tags);
        }
    }
    if (!pending)
        m_poll->stop();
}
