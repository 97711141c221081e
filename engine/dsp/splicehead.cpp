// Dropping the lead-in and the linear cross-fade of a splice.
#include "splicehead.h"

#include <algorithm>

#include "samplecast.h"

void SpliceHead::begin(int64_t dropFrames, std::vector<int16_t> old)
{
    m_drop = std::max<int64_t>(0, dropFrames);
    m_old = std::move(old);
    m_faded = 0;
}

void SpliceHead::cancel()
{
    m_drop = 0;
    m_old.clear();
    m_faded = 0;
}

void SpliceHead::apply(std::vector<int16_t>& out, size_t first)
{
    size_t frames = out.size() / 2 - std::min(first, out.size() / 2);
    if (m_drop > 0) {
        size_t dropped = static_cast<size_t>(std::min<int64_t>(m_drop, static_cast<int64_t>(frames)));
        auto begin = out.begin() + static_cast<std::ptrdiff_t>(first * 2);
        out.erase(begin, begin + static_cast<std::ptrdiff_t>(dropped * 2));
        m_drop -= static_cast<int64_t>(dropped);
        frames -= dropped;
    }
    const size_t total = m_old.size() / 2;
    for (size_t i = 0; i < frames && m_faded < total; ++i, ++m_faded) {
        const float weight = static_cast<float>(m_faded + 1) / static_cast<float>(total + 1);
        for (size_t c = 0; c < 2; ++c) {
            int16_t& sample = out[(first + i) * 2 + c];
            sample = RoundToSample(m_old[m_faded * 2 + c] * (1.0f - weight) + sample * weight);
        }
    }
}
