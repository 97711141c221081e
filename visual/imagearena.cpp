// A bump allocator over one 2 MB-aligned, huge-page-advised region.
#include "imagearena.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace {

constexpr size_t kHugePage = size_t{2} << 20;

class Arena {
public:
    Arena()
    {
        if (qgetenv("MORVANE_HUGE_PAGES") == "0")
            return;
        // Twice the page, so that an aligned page lies inside whatever address we get.
        void* region = mmap(nullptr, 2 * kHugePage, PROT_READ | PROT_WRITE,
                            MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (region == MAP_FAILED)
            return;
        const auto start = reinterpret_cast<uintptr_t>(region);
        m_base = reinterpret_cast<uchar*>((start + kHugePage - 1) & ~(kHugePage - 1));
        madvise(m_base, kHugePage, MADV_HUGEPAGE);
    }

    uchar* take(size_t bytes)
    {
        std::lock_guard lock(m_mutex);
        bytes = (bytes + 63) & ~size_t{63};
        if (!m_base || m_used + bytes > kHugePage)
            return nullptr;
        uchar* out = m_base + m_used;
        m_used += bytes;
        return out;
    }

private:
    std::mutex m_mutex;
    uchar* m_base = nullptr;
    size_t m_used = 0;
};

Arena& TheArena()
{
    static Arena arena;
    return arena;
}

} // namespace

QImage ArenaImage(QSize size, QImage::Format format)
{
    const int depth = static_cast<int>(QImage::toPixelFormat(format).bitsPerPixel());
    const qsizetype bytesPerLine = ((qsizetype(size.width()) * depth + 31) / 32) * 4;
    uchar* memory = size.isEmpty()
                        ? nullptr
                        : TheArena().take(static_cast<size_t>(bytesPerLine) * size.height());
    if (!memory) {
        QImage image(size, format);
        image.fill(0);
        return image;
    }
    std::memset(memory, 0, static_cast<size_t>(bytesPerLine) * size.height());
    return QImage(memory, size.width(), size.height(), bytesPerLine, format);
}

QImage ArenaCopy(const QImage& image, bool convert)
{
    const QImage source = convert ? image.convertToFormat(QImage::Format_RGB32) : image;
    if (source.isNull())
        return source;
    QImage copy = ArenaImage(source.size(), source.format());
    for (int y = 0; y < source.height(); ++y)
        std::memcpy(copy.scanLine(y), source.constScanLine(y),
                    std::min(copy.bytesPerLine(), source.bytesPerLine()));
    return copy;
}
