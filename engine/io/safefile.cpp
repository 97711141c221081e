// Safe replacement of files with POSIX calls, each result checked (Qt's QSaveFile can report
// success after a failed flush on a full disk), and the journal of temporaries.
#include "safefile.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <mutex>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::mutex g_journalMutex;
std::string g_journalDir; // guarded by g_journalMutex
std::atomic<unsigned> g_serial{0};

std::string folderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string markerPathFor(const std::string& tempPath)
{
    // The temporary's own unique tail names its marker.
    const size_t at = tempPath.rfind(kTemporaryMarker);
    return tempPath.substr(at + kTemporaryMarker.size());
}

void journalAdd(const std::string& tempPath)
{
    std::lock_guard lock(g_journalMutex);
    if (g_journalDir.empty())
        return;
    const std::string marker = g_journalDir + "/" + markerPathFor(tempPath);
    int fd = ::open(marker.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return; // the journal is a help for later clean-up, never a reason to fail
    ssize_t put = ::write(fd, tempPath.data(), tempPath.size());
    (void)put;
    ::close(fd);
}

void journalRemove(const std::string& tempPath)
{
    std::lock_guard lock(g_journalMutex);
    if (!g_journalDir.empty())
        ::unlink((g_journalDir + "/" + markerPathFor(tempPath)).c_str());
}

// The process id at the start of s ("<pid>-..."), or 0.
pid_t leadingPid(std::string_view s)
{
    pid_t pid = 0;
    size_t i = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9' && i < 10; ++i)
        pid = pid * 10 + (s[i] - '0');
    return i > 0 && i < s.size() && s[i] == '-' ? pid : 0;
}

// The state letter and start time (seconds since the epoch) of a running process from /proc;
// false when it is not there.
bool processStart(pid_t pid, char& state, double& startSeconds)
{
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/stat", static_cast<int>(pid));
    FILE* file = std::fopen(path, "re");
    if (!file)
        return false;
    char line[1024] = {};
    const size_t got = std::fread(line, 1, sizeof line - 1, file);
    std::fclose(file);
    // The name in parentheses may hold anything: the fields follow the last ')'.
    const char* close = std::strrchr(line, ')');
    if (got == 0 || !close)
        return false;
    unsigned long long startTicks = 0;
    // state is field 3, starttime field 22.
    if (std::sscanf(close + 1,
                    " %c %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s "
                    "%*s %*s %*s %llu",
                    &state, &startTicks) != 2)
        return false;
    static const double bootSeconds = [] {
        double boot = 0;
        if (FILE* stat = std::fopen("/proc/stat", "re")) {
            char text[256];
            while (std::fgets(text, sizeof text, stat))
                if (std::sscanf(text, "btime %lf", &boot) == 1)
                    break;
            std::fclose(stat);
        }
        return boot;
    }();
    const long ticks = ::sysconf(_SC_CLK_TCK);
    startSeconds = bootSeconds + static_cast<double>(startTicks) / (ticks > 0 ? ticks : 100);
    return bootSeconds > 0;
}

// A temporary (last changed at madeAt) is stale when the process that made it is gone: no such
// id, a process killed and not yet reaped (a zombie writes no more), or a later process that
// was given the same id. Our own id at start belongs to an earlier process, since this one has
// made none yet.
bool ownerGone(pid_t pid, time_t madeAt)
{
    if (pid <= 0 || pid == ::getpid())
        return true;
    if (::kill(pid, 0) != 0 && errno == ESRCH)
        return true;
    char state = 0;
    double started = 0;
    if (!processStart(pid, state, started))
        return false; // alive as far as we can tell
    return state == 'Z' || state == 'X' || started > static_cast<double>(madeAt) + 2;
}

time_t changedAt(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? st.st_mtime : 0;
}

bool removeIfTemporary(const std::string& path)
{
    if (nameOf(path).find(kTemporaryMarker) == std::string::npos)
        return false;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    return ::unlink(path.c_str()) == 0;
}

std::vector<std::string> entriesOf(const std::string& dir)
{
    std::vector<std::string> names;
    DIR* d = ::opendir(dir.c_str());
    if (!d)
        return names;
    while (dirent* e = ::readdir(d)) {
        if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
            names.emplace_back(e->d_name);
    }
    ::closedir(d);
    return names;
}

} // namespace

std::string WriteFailureReason(int errorNumber)
{
    switch (errorNumber) {
    case ENOSPC:
    case EDQUOT:
        return "ディスクの空き容量が足りません。";
    case EROFS:
        return "読み取り専用の場所には書き込めません。";
    case EACCES:
    case EPERM:
        return "書き込む権限がありません。";
    case ENOENT:
    case ENOTDIR:
        return "保存先のフォルダがありません。";
    case EISDIR:
    case EINVAL:
        return "通常のファイルではありません。";
    case EIO:
        return "ディスクの読み書きでエラーが起きました。";
    case 0:
        return "書き込みに失敗しました。";
    default:
        return std::string("書き込みに失敗しました。(") + std::strerror(errorNumber) + ")";
    }
}

SafeFile::~SafeFile()
{
    abandon();
}

bool SafeFile::fail(int errorNumber, const std::string& detail)
{
    m_failed = true;
    if (m_failure.errorNumber == 0 && m_failure.detail.empty()) {
        m_failure.errorNumber = errorNumber;
        m_failure.detail =
            detail + (errorNumber ? std::string(": ") + std::strerror(errorNumber) : std::string());
    }
    return false;
}

bool SafeFile::open(const std::string& target)
{
    abandon();
    m_failed = false;
    m_failure = WriteFailure{};
    m_failure.path = target;
    if (target.empty())
        return fail(ENOENT, "no file name");
    m_target = target;
    struct stat st {};
    bool exists = ::stat(target.c_str(), &st) == 0;
    if (exists) {
        if (!S_ISREG(st.st_mode))
            return fail(S_ISDIR(st.st_mode) ? EISDIR : EINVAL, "not a regular file " + target);
        // Replace the file a symbolic link leads to, so that the link stays a link.
        if (char* real = ::realpath(target.c_str(), nullptr)) {
            m_target = real;
            std::free(real);
        }
    }
    // Unnamed first: a write killed half-way then leaves nothing behind. It gets its name at
    // commit. File systems without O_TMPFILE get today's named temporary.
    m_fd = ::open(folderOf(m_target).c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
    if (m_fd >= 0) {
        m_unnamed = true;
        m_tempPath = "/proc/self/fd/" + std::to_string(m_fd);
    } else {
        m_unnamed = false;
        const int made = makeNamed([](const std::string& candidate) {
            return ::open(candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        });
        if (made < 0)
            return false;
        m_fd = made;
    }
    if (exists && ::fchmod(m_fd, st.st_mode & 07777) != 0)
        return fail(errno, "cannot set the mode of " + m_tempPath);
    return true;
}

int SafeFile::makeNamed(const std::function<int(const std::string&)>& create)
{
    std::string name = nameOf(m_target);
    if (name.size() > 180)
        name.resize(180); // room for the marker within the 255-byte name limit
    const std::string stem = folderOf(m_target) + "/." + name + std::string(kTemporaryMarker) +
                             std::to_string(::getpid()) + "-";
    const auto tick = std::chrono::steady_clock::now().time_since_epoch().count();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const unsigned serial = g_serial.fetch_add(1);
        char tail[32];
        std::snprintf(tail, sizeof tail, "%x%04x", serial,
                      static_cast<unsigned>(tick + attempt * 7919) & 0xFFFF);
        const std::string candidate = stem + tail;
        // The kernel applies the umask to 0666, as for any new file.
        const int result = create(candidate);
        if (result >= 0) {
            m_tempPath = candidate;
            journalAdd(m_tempPath);
            return result;
        }
        if (errno != EEXIST) {
            fail(errno, "cannot create a file beside " + m_target);
            return -1;
        }
    }
    fail(EEXIST, "no free temporary name beside " + m_target);
    return -1;
}

bool SafeFile::write(const void* data, size_t size)
{
    if (m_fd < 0 || m_failed)
        return false;
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t put = ::write(m_fd, p, size);
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0)
            return fail(errno, "cannot write " + m_target);
        if (put == 0)
            return fail(ENOSPC, "cannot write " + m_target);
        p += put;
        size -= static_cast<size_t>(put);
    }
    return true;
}

bool SafeFile::commit()
{
    if (m_fd < 0 || m_failed) {
        abandon();
        return false;
    }
    // A file system that allocates late reports a full disk only here.
    if (::fsync(m_fd) != 0) {
        fail(errno, "cannot flush " + m_target);
        abandon();
        return false;
    }
    if (m_unnamed) {
        // The finished copy gets a name beside the target, then takes the target's place.
        const std::string procPath = m_tempPath;
        const int linked = makeNamed([&](const std::string& candidate) {
            return ::linkat(AT_FDCWD, procPath.c_str(), AT_FDCWD, candidate.c_str(),
                            AT_SYMLINK_FOLLOW);
        });
        if (linked < 0) {
            abandon();
            return false;
        }
        m_unnamed = false;
    }
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) {
        fail(errno, "cannot close " + m_target);
        abandon();
        return false;
    }
    if (::rename(m_tempPath.c_str(), m_target.c_str()) != 0) {
        fail(errno, "cannot replace " + m_target);
        abandon();
        return false;
    }
    journalRemove(m_tempPath);
    m_tempPath.clear();
    // Make the rename itself durable.
    int dirFd = ::open(folderOf(m_target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

void SafeFile::abandon()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (m_unnamed) {
        m_unnamed = false;
        m_tempPath.clear(); // an unnamed file goes with its descriptor
    }
    if (!m_tempPath.empty()) {
        ::unlink(m_tempPath.c_str());
        journalRemove(m_tempPath);
        m_tempPath.clear();
    }
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes, WriteFailure& failure)
{
    SafeFile file;
    const bool ok = file.open(path) && file.write(bytes) && file.commit();
    failure = file.failure();
    return ok;
}

void SetTemporaryJournal(const std::string& dir)
{
    if (!dir.empty())
        ::mkdir(dir.c_str(), 0700);
    std::lock_guard lock(g_journalMutex);
    g_journalDir = dir;
}

int RemoveStaleTemporaries(const std::string& journalDir, const std::vector<std::string>& folders)
{
    int removed = 0;
    if (!journalDir.empty()) {
        for (const std::string& marker : entriesOf(journalDir)) {
            const std::string markerPath = journalDir + "/" + marker;
            if (!ownerGone(leadingPid(marker), changedAt(markerPath)))
                continue;
            char buffer[4096];
            int fd = ::open(markerPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
            if (fd < 0)
                continue;
            const ssize_t got = ::read(fd, buffer, sizeof buffer);
            ::close(fd);
            if (got > 0 && removeIfTemporary(std::string(buffer, static_cast<size_t>(got))))
                ++removed;
            ::unlink(markerPath.c_str());
        }
    }
    for (const std::string& folder : folders) {
        for (const std::string& name : entriesOf(folder)) {
            const size_t at = name.find(kTemporaryMarker);
            if (at == std::string::npos ||
                !ownerGone(leadingPid(std::string_view(name).substr(at + kTemporaryMarker.size())),
                           changedAt(folder + "/" + name)))
                continue;
            if (removeIfTemporary(folder + "/" + name))
                ++removed;
        }
    }
    return removed;
}
