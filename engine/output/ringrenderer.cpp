// Audio callback body.
#include "ringrenderer.h"

#include <cstring>

void RingRenderer::render(int16_t* out, int frames, int64_t heardEndNs)
{
    size_t got = 0;
    int64_t first = m_ring.readIndex();
    if (m_playing.load(std::memory_order_acquire)) {
        got = m_ring.read(out, static_cast<size_t>(frames), first);
        m_gain.process(out, static_cast<int>(got));
    }
    // An underrun or a pause plays silence; the clock sees that no ring frame moved.
    if (got < static_cast<size_t>(frames))
        std::memset(out + got * 2, 0, (static_cast<size_t>(frames) - got) * 2 * sizeof(int16_t));
    m_clock.recordBlock(first, static_cast<int>(got), frames, heardEndNs);
    m_blocks.fetch_add(1, std::memory_order_release);
}
