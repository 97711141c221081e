// The silent-output notices: told on standard error, taken once by the interface.
#include "silentnotice.h"

#include <atomic>
#include <cstdio>
#include <mutex>

namespace {
struct Notice {
    std::mutex mutex;
    bool noted = false;
    std::string pending; // noted and not yet taken
    std::string lost;    // a loss noted and not yet taken
    std::atomic<bool> lostPending{false}; // read by every tick without the lock
};

Notice& notice()
{
    static Notice n;
    return n;
}

std::string take(std::string Notice::*field)
{
    Notice& n = notice();
    std::lock_guard lock(n.mutex);
    std::string taken;
    taken.swap(n.*field);
    return taken;
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
    n.lostPending.store(true);
    std::fprintf(stderr, "morvane: the sound server went away (%s); playing silently\n",
                 n.lost.c_str());
}

std::string TakeLostOutputNotice()
{
    if (!notice().lostPending.exchange(false))
        return {};
    return take(&Notice::lost);
}

std::string TakeSilentOutputNotice()
{
    return take(&Notice::pending);
}
