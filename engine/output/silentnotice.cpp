// The silent-output notice: told once, taken once.
#include "silentnotice.h"

#include <cstdio>
#include <mutex>

namespace {
struct Notice {
    std::mutex mutex;
    bool noted = false;
    std::string pending; // noted and not yet taken
    std::string lost;    // a loss noted and not yet taken
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

void NoteLostOutput(const std::string& why)
{
    Notice& n = notice();
    std::lock_guard lock(n.mutex);
    n.lost = why.empty() ? std::string("sound server gone") : why;
    std::fprintf(stderr, "morvane: the sound server went away (%s); playing silently\n",
                 n.lost.c_str());
}

std::string TakeLostOutputNotice()
{
    Notice& n = notice();
    std::lock_guard lock(n.mutex);
    std::string taken;
    taken.swap(n.lost);
    return taken;
}

std::string TakeSilentOutputNotice()
{
    Notice& n = notice();
    std::lock_guard lock(n.mutex);
    std::string taken;
    taken.swap(n.pending);
    return taken;
}
