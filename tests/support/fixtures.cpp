// Fixture makers built on sox and lame.
#include "fixtures.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include <sys/mount.h>
#include <sys/statvfs.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {
std::string g_lastError;

std::string quote(const std::string& s)
{
    std::string out = "'";
    for (char c : s) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}

struct TempDirHolder {
    std::filesystem::path path;
    TempDirHolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "morvane-test-XXXXXX").string();
        if (char* made = mkdtemp(pattern.data()))
            path = made;
    }
    ~TempDirHolder()
    {
        std::error_code ec;
        if (!path.empty())
            std::filesystem::remove_all(path, ec);
    }
};
}  // namespace

std::string TestTempDir()
{
    static TempDirHolder holder;
    return holder.path.string();
}

int RunCommand(const std::string& command)
{
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool MakeToneMp3(const std::string& path, const ToneSpec& spec)
{
    std::ostringstream cmd;
    cmd << "sox -n -r " << spec.sampleRate << " -c " << spec.channels << " -b 16 -t wav - synth "
        << spec.seconds << " sine " << spec.frequencyHz << " vol 0.5 2>/dev/null | lame --quiet ";
    if (spec.bitRate > 0)
        cmd << "-b " << spec.bitRate << " --cbr ";
    else
        cmd << "-V 4 ";
    if (!spec.title.empty() || !spec.artist.empty()) {
        cmd << "--add-id3v2 --id3v2-utf16 ";
        if (!spec.title.empty())
            cmd << "--tt " << quote(spec.title) << " ";
        if (!spec.artist.empty())
            cmd << "--ta " << quote(spec.artist) << " ";
        if (!spec.album.empty())
            cmd << "--tl " << quote(spec.album) << " ";
        if (!spec.year.empty())
            cmd << "--ty " << quote(spec.year) << " ";
    }
    cmd << "- " << quote(path) << " 2>&1";
    if (RunCommand(cmd.str()) != 0 || !std::filesystem::exists(path)) {
        g_lastError = "fixture command failed: " + cmd.str();
        return false;
    }
    return true;
}

std::string LastFixtureError() { return g_lastError; }

SmallTmpfs::SmallTmpfs(const std::string& dir, int kilobytes, bool readOnly) : m_dir(dir)
{
    std::filesystem::create_directories(dir);
    const std::string options = "size=" + std::to_string(kilobytes) + "k";
    if (::mount("tmpfs", dir.c_str(), "tmpfs", readOnly ? MS_RDONLY : 0, options.c_str()) != 0) {
        m_why = "cannot mount a tmpfs at " + dir + ": " + std::strerror(errno) +
                " (run as root to test full and read-only file systems)";
        return;
    }
    m_mounted = true;
}

SmallTmpfs::~SmallTmpfs()
{
    if (m_mounted)
        ::umount2(m_dir.c_str(), MNT_DETACH);
}

bool SmallTmpfs::fill(long long leaveBytes)
{
    const std::string filler = m_dir + "/.filler";
    int fd = ::open(filler.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (fd < 0)
        return false;
    char block[512] = {};
    for (;;) {
        struct statvfs vfs {};
        if (::fstatvfs(fd, &vfs) != 0)
            break;
        const long long free = static_cast<long long>(vfs.f_bavail) * vfs.f_frsize;
        if (free <= leaveBytes)
            break;
        const long long chunk = std::min<long long>(sizeof block, free - leaveBytes);
        if (::write(fd, block, static_cast<size_t>(chunk)) <= 0)
            break;
    }
    ::close(fd);
    return true;
}
