// stat() never opens the file, so it cannot block on a FIFO.
#include "plainfile.h"

#include <sys/stat.h>

int64_t PlainFileSize(const std::string& path)
{
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return -1;
    return static_cast<int64_t>(st.st_size);
}

bool IsPlainFile(const std::string& path)
{
    return PlainFileSize(path) >= 0;
}
