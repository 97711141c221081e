// The silent-output notice: told once, taken once.
#include "silentnotice.h"

#include <cstdio>
#include <mutex>

namespace {
struct Notice {
    std::mutex mutex;
    bool noted = false;
    std::string pending; // noted and not yet taken
};

Notice& notice()
{
    static Notice n;
    return n;
}
} // namespace

void NoteSilentOutput(const std::string& why)
{
    Notice& n = notice();
    std::lock_guard lock(n.mutex);
    if (n.noted)
        return;
    n.noted = true;
    n.pending = why.empty() ? std::string("no device") : why;
    std::fprintf(stderr, "morvane: no sound device (%s); playing silently\n", n.pending.c_str());
}

std::string TakeSilentOutputNotice()
{
    Notice& n = notice();
    std::lock_guard lock(n.mutex);
    std::string taken;
    taken.swap(n.pending);
    return taken;
}
