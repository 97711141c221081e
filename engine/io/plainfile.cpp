// stat() and statfs() never open the file, so they cannot block on a FIFO.
#include "plainfile.h"

#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>

namespace {
// Kernel file systems whose "regular files" are views of the running system: a read may wait
// forever (kmsg) or never end, and their sizes say nothing. None holds music.
bool OnPseudoFileSystem(const std::string& path)
{
    struct statfs fs {};
    if (::statfs(path.c_str(), &fs) != 0)
        return true;
    switch (static_cast<unsigned long>(fs.f_type)) {
    case PROC_SUPER_MAGIC:
    case SYSFS_MAGIC:
    case DEBUGFS_MAGIC:
    case TRACEFS_MAGIC:
    case SECURITYFS_MAGIC:
    case CGROUP_SUPER_MAGIC:
    case CGROUP2_SUPER_MAGIC:
    case BPF_FS_MAGIC:
    case PSTOREFS_MAGIC:
    case EFIVARFS_MAGIC:
    case DEVPTS_SUPER_MAGIC:
    case 0x62656570: // configfs
        return true;
    default:
        return false;
    }
}
} // namespace

int64_t PlainFileSize(const std::string& path)
{
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) ||
        OnPseudoFileSystem(path))
        return -1;
    return static_cast<int64_t>(st.st_size);
}

bool IsPlainFile(const std::string& path)
{
    return PlainFileSize(path) >= 0;
}
