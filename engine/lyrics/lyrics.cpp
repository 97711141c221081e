// LRC parsing: time tags in every common form, offset, word-timing marks, any usual encoding.
#include "lyrics.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>

#include "engine/meta/textcodec.h"

namespace {

// Far more than any real song; keeps a file of nothing but tags from growing without bound.
constexpr size_t kMaxLines = 100000;
// Minutes beyond this many digits cannot be a real time and would overflow.
constexpr int kMaxMinuteDigits = 7;
// "<" + 7 minute digits + ":ss.fff" + ">" with room for blanks.
constexpr size_t kMaxTimeMarkChars = 24;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}
bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\f' || c == '\v';
}

std::string_view trim(std::string_view s)
{
    while (!s.empty() && isSpace(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isSpace(s.back()))
        s.remove_suffix(1);
    return s;
}

// Reads up to maxDigits digits at s[i]; returns how many were read.
int readNumber(std::string_view s, size_t& i, int maxDigits, int64_t& value)
{
    int digits = 0;
    value = 0;
    while (i < s.size() && isDigit(s[i]) && digits < maxDigits) {
        value = value * 10 + (s[i] - '0');
        ++i;
        ++digits;
    }
    return digits;
}

// "mm:ss", "mm:ss.f", "mm:ss.ff", "mm:ss.fff" or "mm:ss:ff" (the lyrics editor's form), seconds
// of 60 or more counted on. Fraction digits past the third are ignored.
bool parseTime(std::string_view s, int64_t& timeMs)
{
    s = trim(s);
    size_t i = 0;
    int64_t minutes = 0;
    int64_t seconds = 0;
    if (readNumber(s, i, kMaxMinuteDigits, minutes) == 0 || i >= s.size() || s[i] != ':')
        return false;
    ++i;
    if (readNumber(s, i, 2, seconds) == 0)
        return false;
    int64_t fractionMs = 0;
    if (i < s.size() && (s[i] == '.' || s[i] == ':')) {
        ++i;
        int64_t fraction = 0;
        int digits = readNumber(s, i, 3, fraction);
        if (digits == 0)
            return false;
        fractionMs = digits == 1 ? fraction * 100 : digits == 2 ? fraction * 10 : fraction;
        while (i < s.size() && isDigit(s[i]))
            ++i;
    }
    if (i != s.size())
        return false;
    timeMs = (minutes * 60 + seconds) * 1000 + fractionMs;
    return true;
}

bool equalsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t k = 0; k < a.size(); ++k) {
        if (std::tolower(static_cast<unsigned char>(a[k])) !=
            std::tolower(static_cast<unsigned char>(b[k])))
            return false;
    }
    return true;
}

// "[key:value]" with a key of letters: a metadata tag. Only the offset matters here.
bool parseMetadata(std::string_view body, bool& isOffset, int64_t& offsetMs)
{
    size_t colon = body.find(':');
    if (colon == std::string_view::npos || colon == 0)
        return false;
    std::string_view key = trim(body.substr(0, colon));
    if (key.empty())
        return false;
    for (char c : key) {
        if (!std::isalpha(static_cast<unsigned char>(c)))
            return false;
    }
    isOffset = equalsNoCase(key, "offset");
    if (isOffset) {
        std::string_view value = trim(body.substr(colon + 1));
        bool negative = false;
        if (!value.empty() && (value[0] == '+' || value[0] == '-')) {
            negative = value[0] == '-';
            value.remove_prefix(1);
        }
        size_t i = 0;
        int64_t number = 0;
        if (readNumber(value, i, 9, number) == 0)
            return true; // an unreadable offset is ignored, the tag is still metadata
        offsetMs = negative ? -number : number;
    }
    return true;
}

// Removes enhanced-LRC word times such as <01:02.34>; other text in angle brackets stays.
std::string stripWordTimes(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] == '<') {
            // A time mark is short: looking further would make a line of '<' quadratic.
            size_t close = text.substr(0, i + kMaxTimeMarkChars).find('>', i + 1);
            int64_t ignored = 0;
            if (close != std::string_view::npos &&
                parseTime(text.substr(i + 1, close - i - 1), ignored)) {
                i = close + 1;
                continue;
            }
        }
        out += text[i];
        ++i;
    }
    return out;
}

} // namespace

bool Lyrics::load(const std::string& path)
{
    clear();
    // Only regular files: a FIFO or device would block or never end.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return false;
    const auto fileBytes = std::filesystem::file_size(path, ec);
    std::ifstream file(path, std::ios::binary);
    if (ec || !file)
        return false;
    std::string bytes(std::min<uintmax_t>(fileBytes, kMaxFileBytes), '\0');
    file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<size_t>(file.gcount()));
    return parse(bytes);
}

bool Lyrics::parse(std::string_view bytes)
{
    clear();
    if (bytes.size() > kMaxFileBytes)
        bytes = bytes.substr(0, kMaxFileBytes);
    const std::string text = DecodeTextFile(bytes);
    int64_t offsetMs = 0;

    size_t start = 0;
    while (start < text.size() && m_lines.size() < kMaxLines) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        std::string_view line = trim(std::string_view(text).substr(start, end - start));
        start = end + 1;

        std::vector<int64_t> times;
        size_t i = 0;
        while (i < line.size() && line[i] == '[') {
            size_t close = line.find(']', i + 1);
            if (close == std::string_view::npos)
                break;
            std::string_view body = line.substr(i + 1, close - i - 1);
            int64_t timeMs = 0;
            if (parseTime(body, timeMs)) {
                times.push_back(timeMs);
            } else if (times.empty()) {
                bool isOffset = false;
                parseMetadata(body, isOffset, offsetMs);
                break; // metadata or an unknown tag: the line is not a lyric
            } else {
                break; // a bracket after the times belongs to the text
            }
            i = close + 1;
            while (i < line.size() && isSpace(line[i]) && i + 1 < line.size() && line[i + 1] == '[')
                ++i;
        }
        if (times.empty())
            continue;
        std::string lyric = stripWordTimes(trim(line.substr(i)));
        lyric = CutUtf8(std::string(trim(lyric)), kLyricsLineChars);
        for (int64_t t : times) {
            if (m_lines.size() >= kMaxLines)
                break;
            m_lines.push_back({t, lyric});
        }
    }

    // A positive offset shows every line earlier (shown time = tag time - offset).
    m_offsetMs = offsetMs;
    for (auto& line : m_lines)
        line.timeMs -= offsetMs;
    std::stable_sort(m_lines.begin(), m_lines.end(),
                     [](const LyricsLine& a, const LyricsLine& b) { return a.timeMs < b.timeMs; });
    return !m_lines.empty();
}

bool Lyrics::setLines(std::vector<LyricsLine> lines)
{
    clear();
    if (lines.size() > kMaxLines)
        lines.resize(kMaxLines);
    for (auto& line : lines)
        line.text = CutUtf8(std::string(trim(line.text)), kLyricsLineChars);
    std::stable_sort(lines.begin(), lines.end(),
                     [](const LyricsLine& a, const LyricsLine& b) { return a.timeMs < b.timeMs; });
    m_lines = std::move(lines);
    return !m_lines.empty();
}

void Lyrics::clear()
{
    m_lines.clear();
    m_offsetMs = 0;
}

int Lyrics::lookup(int64_t positionMs, LyricsRecord& record) const
{
    record = LyricsRecord{};
    auto after =
        std::upper_bound(m_lines.begin(), m_lines.end(), positionMs,
                         [](int64_t pos, const LyricsLine& line) { return pos < line.timeMs; });
    if (after == m_lines.begin())
        return 0;
    // Of several lines sharing the time reached, the first in the file is the current one (the
    // others are usually its translations) and the rest follow it.
    auto current = static_cast<ptrdiff_t>(after - m_lines.begin()) - 1;
    while (current > 0 && m_lines[current - 1].timeMs == m_lines[current].timeMs)
        --current;
    for (ptrdiff_t k = 0; k < 5; ++k) {
        ptrdiff_t index = current - 2 + k;
        if (index >= 0 && index < static_cast<ptrdiff_t>(m_lines.size()))
            record.lines[k] = m_lines[index].text;
    }
    record.field =
        static_cast<int32_t>(std::clamp<int64_t>(m_lines[current].timeMs, INT32_MIN, INT32_MAX));
    return 1;
}
