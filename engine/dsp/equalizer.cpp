// Peaking filters (the audio EQ cookbook's, constant bandwidth) in transposed direct form II, run
// in double precision. Their gains come from a small interaction matrix: how many dB each filter
// adds at every band centre per dB of its own gain. Solving it once gives gains close to right;
// a few corrections with the exact response of the whole cascade make the centres exact, since
// a filter's shape in dB does not scale exactly with its gain.
#include "equalizer.h"

#include <algorithm>
#include <cmath>
#include <complex>

#include "ring/framering.h"
#include "samplecast.h"

namespace {
constexpr int kBands = Equalizer::kBands;
// A band is left out when its centre is above this fraction of the sample rate (its filter
// would be squeezed against half the rate).
constexpr double kHighestCentre = 0.45;
// Each filter is as wide as this many times the mean distance to its neighbours, in octaves: wider
// beside the large gaps (1 to 3 kHz, 3 to 12 kHz), so that equal gains stay within about 1.5 dB
// of flat between the centres; no wider elsewhere, so that the close bands (60 to 600 Hz, and
// 12, 14 and 16 kHz above all) stay independent enough that alternate +12 and -12 dB settings
// need filter gains below 30 dB.
constexpr std::array<double, kBands> kOverlap = {1.2, 1.1, 1, 1, 1.5, 1.5, 1.3, 1, 1, 1};
constexpr double kProbeGainDb = 12;
constexpr double kMaxFilterGainDb = 30;
constexpr int kCorrections = 8;
constexpr int kGlideStepFrames = 32;
constexpr int kPeakGridPoints = 600;

// A filter's frequency and width at a sample rate, which its gain does not change.
struct Shape {
    bool active = false;
    double w0 = 0;
    double cosw = 1;
    double alpha = 0;
};

double BandwidthOctaves(int band)
{
    const auto& hz = Equalizer::kCentreHz;
    double below = band > 0 ? std::log2(hz[band] / hz[band - 1]) : -1;
    double above = band < kBands - 1 ? std::log2(hz[band + 1] / hz[band]) : -1;
    if (below < 0)
        below = above;
    if (above < 0)
        above = below;
    return kOverlap[band] * (below + above) / 2;
}

Shape ShapeOf(int band, int sampleRate)
{
    Shape s;
    const double fc = Equalizer::kCentreHz[band];
    if (sampleRate <= 0 || fc >= kHighestCentre * sampleRate)
        return s;
    s.active = true;
    s.w0 = 2 * M_PI * fc / sampleRate;
    s.cosw = std::cos(s.w0);
    s.alpha = std::sin(s.w0) *
              std::sinh(std::log(2.0) / 2 * BandwidthOctaves(band) * s.w0 / std::sin(s.w0));
    return s;
}

struct Coefficients {
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
};

Coefficients Peaking(const Shape& s, double gainDb)
{
    if (!s.active || gainDb == 0)
        return {};
    const double a = std::pow(10.0, gainDb / 40);
    const double a0 = 1 + s.alpha / a;
    return {(1 + s.alpha * a) / a0, -2 * s.cosw / a0, (1 - s.alpha * a) / a0, -2 * s.cosw / a0,
            (1 - s.alpha / a) / a0};
}

double MagnitudeDb(const Coefficients& c, double w)
{
    const std::complex<double> z1 = std::polar(1.0, -w), z2 = z1 * z1;
    return 20 *
           std::log10(std::abs((c.b0 + c.b1 * z1 + c.b2 * z2) / (1.0 + c.a1 * z1 + c.a2 * z2)));
}

double ResponseAt(const std::array<Shape, kBands>& shapes, const std::array<double, kBands>& gainDb,
                  double w)
{
    double db = 0;
    for (int band = 0; band < kBands; ++band)
        if (shapes[band].active && gainDb[band] != 0)
            db += MagnitudeDb(Peaking(shapes[band], gainDb[band]), w);
    return db;
}

// LU factors of a small square matrix with partial pivoting, and solving with them.
struct SmallLu {
    int n = 0;
    std::array<std::array<double, kBands>, kBands> m{};
    std::array<int, kBands> pivot{};

    void factor()
    {
        for (int k = 0; k < n; ++k) {
            int p = k;
            for (int i = k + 1; i < n; ++i)
                if (std::abs(m[i][k]) > std::abs(m[p][k]))
                    p = i;
            std::swap(m[k], m[p]);
            pivot[k] = p;
            for (int i = k + 1; i < n; ++i) {
                m[i][k] /= m[k][k];
                for (int j = k + 1; j < n; ++j)
                    m[i][j] -= m[i][k] * m[k][j];
            }
        }
    }
    std::array<double, kBands> solve(std::array<double, kBands> b) const
    {
        for (int k = 0; k < n; ++k) {
            std::swap(b[k], b[pivot[k]]);
            for (int i = k + 1; i < n; ++i)
                b[i] -= m[i][k] * b[k];
        }
        for (int k = n - 1; k >= 0; --k) {
            for (int j = k + 1; j < n; ++j)
                b[k] -= m[k][j] * b[j];
            b[k] /= m[k][k];
        }
        return b;
    }
};
} // namespace

Equalizer::Design Equalizer::design(const std::array<double, kBands>& bandGainDb, int sampleRate)
{
    Design result;
    std::array<Shape, kBands> shapes;
    std::array<int, kBands> bands{}; // the active bands, in order
    int n = 0;
    bool flat = true;
    for (int band = 0; band < kBands; ++band) {
        shapes[band] = ShapeOf(band, sampleRate);
        if (shapes[band].active) {
            bands[n++] = band;
            flat = flat && bandGainDb[band] == 0;
        }
    }
    if (flat)
        return result;
    SmallLu lu;
    lu.n = n;
    for (int k = 0; k < n; ++k)
        for (int i = 0; i < n; ++i)
            lu.m[k][i] = MagnitudeDb(Peaking(shapes[bands[i]], kProbeGainDb), shapes[bands[k]].w0) /
                         kProbeGainDb;
    lu.factor();
    std::array<double, kBands> gains{}; // by band
    for (int round = 0; round <= kCorrections; ++round) {
        std::array<double, kBands> error{};
        double worst = 0;
        for (int k = 0; k < n; ++k) {
            error[k] = bandGainDb[bands[k]] - ResponseAt(shapes, gains, shapes[bands[k]].w0);
            worst = std::max(worst, std::abs(error[k]));
        }
        if (worst < 1e-3)
            break;
        std::array<double, kBands> step = lu.solve(error);
        for (int i = 0; i < n; ++i)
            gains[bands[i]] =
                std::clamp(gains[bands[i]] + step[i], -kMaxFilterGainDb, kMaxFilterGainDb);
    }
    result.filterGainDb = gains;
    // The loudest point of the whole response: at the centres, and on a logarithmic grid up to
    // half the rate for the bumps between them.
    double peak = 0;
    for (int k = 0; k < n; ++k)
        peak = std::max(peak, ResponseAt(shapes, gains, shapes[bands[k]].w0));
    const double lowest = 2 * M_PI * 10.0 / sampleRate;
    for (int i = 0; i <= kPeakGridPoints; ++i) {
        double w = lowest * std::pow(M_PI / lowest, static_cast<double>(i) / kPeakGridPoints);
        peak = std::max(peak, ResponseAt(shapes, gains, w));
    }
    result.headroomDb = -peak;
    return result;
}

namespace {
std::array<double, kBands> GainsDb(const int32_t* tenthsDb)
{
    std::array<double, kBands> gains{};
    for (int band = 0; band < kBands; ++band)
        gains[band] = std::clamp(tenthsDb[band], -120, 120) / 10.0;
    return gains;
}
} // namespace

double Equalizer::headroomFor(const int32_t* tenthsDb, int sampleRate)
{
    return design(GainsDb(tenthsDb), sampleRate).headroomDb;
}

void Equalizer::publish(const Design& d)
{
    m_slots[m_writeSlot] = d;
    m_writeSlot = m_latest.exchange(m_writeSlot | kFresh, std::memory_order_acq_rel) & ~kFresh;
}

bool Equalizer::takeNewDesign()
{
    if (!(m_latest.load(std::memory_order_acquire) & kFresh))
        return false;
    m_readSlot = m_latest.exchange(m_readSlot, std::memory_order_acq_rel) & ~kFresh;
    return true;
}

void Equalizer::configure(int sampleRate)
{
    std::lock_guard lock(m_mutex);
    m_sampleRate = sampleRate > 0 ? sampleRate : 44100;
    publish(design(m_bandGainDb, m_sampleRate));
    // The audio thread is not running: start from the new design at once, with clean filters.
    takeNewDesign();
    m_rate = m_sampleRate;
    m_from = m_to = m_now = m_slots[m_readSlot];
    m_glidePos = kGlideFrames;
    for (auto& f : m_filters)
        f = Biquad{};
    for (auto& snapshot : m_snapshots)
        snapshot.index = -1;
    applyGains(m_now);
}

bool Equalizer::setGains(const int32_t* tenthsDb)
{
    std::lock_guard lock(m_mutex);
    const std::array<double, kBands> gains = GainsDb(tenthsDb);
    if (gains == m_bandGainDb)
        return false;
    m_bandGainDb = gains;
    publish(design(gains, m_sampleRate));
    return true;
}

void Equalizer::applyGains(const Design& gains)
{
    for (int band = 0; band < kBands; ++band) {
        Biquad& f = m_filters[band];
        Coefficients c = Peaking(ShapeOf(band, m_rate), gains.filterGainDb[band]);
        f.b0 = c.b0;
        f.b1 = c.b1;
        f.b2 = c.b2;
        f.a1 = c.a1;
        f.a2 = c.a2;
        // A filter switched off forgets its state, so switching it on again starts clean.
        if (f.identity())
            f.z1[0] = f.z1[1] = f.z2[0] = f.z2[1] = 0;
    }
    m_headroomFactor = std::pow(10.0, gains.headroomDb / 20);
}

bool Equalizer::bypassed()
{
    if (takeNewDesign()) {
        m_from = m_now;
        m_to = m_slots[m_readSlot];
        m_glidePos = m_from == m_to ? kGlideFrames : 0;
    }
    return m_glidePos >= kGlideFrames && m_now == Design{};
}

void Equalizer::settle()
{
    takeNewDesign();
    m_from = m_to = m_now = m_slots[m_readSlot];
    m_glidePos = kGlideFrames;
    applyGains(m_now);
}

void Equalizer::filterRun(double* p, int run)
{
    for (int i = 0; i < 2 * run; ++i)
        p[i] *= m_headroomFactor;
    // Both channels of a band in one pass: their recursions are independent chains the
    // processor overlaps.
    for (auto& f : m_filters) {
        if (f.identity())
            continue;
        double z1l = f.z1[0], z2l = f.z2[0], z1r = f.z1[1], z2r = f.z2[1];
        for (int i = 0; i < run; ++i) {
            double xl = p[2 * i], xr = p[2 * i + 1];
            double yl = f.b0 * xl + z1l;
            double yr = f.b0 * xr + z1r;
            z1l = f.b1 * xl - f.a1 * yl + z2l;
            z1r = f.b1 * xr - f.a1 * yr + z2r;
            z2l = f.b2 * xl - f.a2 * yl;
            z2r = f.b2 * xr - f.a2 * yr;
            p[2 * i] = yl;
            p[2 * i + 1] = yr;
        }
        f.z1[0] = z1l;
        f.z2[0] = z2l;
        f.z1[1] = z1r;
        f.z2[1] = z2r;
    }
}

void Equalizer::process(int16_t* frames, int count, int64_t firstIndex)
{
    if (!bypassed()) {
        run(frames, count, firstIndex);
        return;
    }
    // Flat: the state to come back to is the empty one.
    for (int64_t index =
             firstIndex + (kSnapshotFrames - firstIndex % kSnapshotFrames) % kSnapshotFrames;
         index < firstIndex + count; index += kSnapshotFrames)
        saveSnapshot(index);
}

void Equalizer::run(int16_t* frames, int count, int64_t firstIndex)
{
    constexpr int kRunFrames = 256;
    double buffer[2 * kRunFrames];
    int done = 0;
    while (done < count) {
        const int64_t index = firstIndex + done;
        if (index % kSnapshotFrames == 0)
            saveSnapshot(index);
        // Runs end on multiples of kRunFrames (of kGlideStepFrames while gliding), so the
        // coefficients change at the same ring indices however the device cuts its blocks.
        const int step = m_glidePos < kGlideFrames ? kGlideStepFrames : kRunFrames;
        int length = std::min(count - done, step - static_cast<int>(index % step));
        if (m_glidePos < kGlideFrames && index % kGlideStepFrames == 0) {
            // Gliding: every filter gain and the headroom move in a straight line (in dB) from
            // the old design to the new one, a step every kGlideStepFrames.
            m_glidePos = std::min(kGlideFrames, m_glidePos + kGlideStepFrames);
            const double t = static_cast<double>(m_glidePos) / kGlideFrames;
            for (int band = 0; band < kBands; ++band)
                m_now.filterGainDb[band] =
                    m_from.filterGainDb[band] +
                    t * (m_to.filterGainDb[band] - m_from.filterGainDb[band]);
            m_now.headroomDb = m_from.headroomDb + t * (m_to.headroomDb - m_from.headroomDb);
            if (m_glidePos >= kGlideFrames)
                m_now = m_to;
            applyGains(m_now);
        }
        int16_t* p = frames + 2 * done;
        for (int i = 0; i < 2 * length; ++i)
            buffer[i] = p[i];
        filterRun(buffer, length);
        for (int i = 0; i < 2 * length; ++i)
            p[i] = static_cast<int16_t>(std::lrint(std::clamp(buffer[i], -32768.0, 32767.0)));
        done += length;
    }
}

void Equalizer::saveSnapshot(int64_t index)
{
    Snapshot& s = m_snapshots[static_cast<size_t>(index / kSnapshotFrames) % kSnapshots];
    s.index = index;
    s.from = m_from;
    s.to = m_to;
    s.now = m_now;
    s.glidePos = m_glidePos;
    for (int band = 0; band < kBands; ++band) {
        const Biquad& f = m_filters[band];
        s.z[band] = {f.z1[0], f.z1[1], f.z2[0], f.z2[1]};
    }
}

bool Equalizer::rewind(int64_t index, const FrameRing& ring, float preGain)
{
    const int64_t at = index - index % kSnapshotFrames;
    const Snapshot& s = m_snapshots[static_cast<size_t>(at / kSnapshotFrames) % kSnapshots];
    if (index < 0 || s.index != at)
        return false; // bypassed then, or too long ago
    // Snapshots after index hold a future the device dropped.
    for (auto& later : m_snapshots)
        if (later.index > at)
            later.index = -1;
    const Design newest = m_to;
    m_from = s.from;
    m_to = s.to;
    m_now = s.now;
    m_glidePos = s.glidePos;
    applyGains(m_now);
    for (int band = 0; band < kBands; ++band) {
        Biquad& f = m_filters[band];
        f.z1[0] = s.z[band][0];
        f.z1[1] = s.z[band][1];
        f.z2[0] = s.z[band][2];
        f.z2[1] = s.z[band][3];
    }
    int16_t frames[2 * 256];
    for (int64_t from = at; from < index;) {
        const int count = static_cast<int>(std::min<int64_t>(256, index - from));
        if (!ring.copyHistory(from, static_cast<size_t>(count), frames))
            break;
        if (preGain != 1.0f)
            for (int i = 0; i < 2 * count; ++i)
                frames[i] = RoundToSample(
                    std::clamp(static_cast<float>(frames[i]) * preGain, -32768.0f, 32767.0f));
        run(frames, count, from);
        from += count;
    }
    // From here the newest setting glides in.
    if (!(newest == m_to)) {
        m_from = m_now;
        m_to = newest;
        m_glidePos = 0;
    }
    return true;
}
