// Text decoding for tags and lyrics, with glibc iconv for CP932.
#include "textcodec.h"

#include <cerrno>
#include <cstdint>

#include <iconv.h>

namespace {

void appendUtf8(std::string& out, uint32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Decodes one code point of valid UTF-8 at i (the caller has checked validity).
uint32_t nextCodePoint(std::string_view s, size_t& i)
{
    auto b = static_cast<unsigned char>(s[i]);
    int extra = b < 0x80 ? 0 : b < 0xE0 ? 1 : b < 0xF0 ? 2 : 3;
    uint32_t cp = extra == 0 ? b : extra == 1 ? (b & 0x1F) : extra == 2 ? (b & 0x0F) : (b & 0x07);
    ++i;
    for (int k = 0; k < extra && i < s.size(); ++k, ++i)
        cp = (cp << 6) | (static_cast<unsigned char>(s[i]) & 0x3F);
    return cp;
}

} // namespace

bool IsValidUtf8(std::string_view bytes)
{
    size_t i = 0;
    const size_t n = bytes.size();
    while (i < n) {
        auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            ++i;
            continue;
        }
        int extra;
        uint32_t cp;
        if (b >= 0xC2 && b <= 0xDF) {
            extra = 1;
            cp = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            extra = 2;
            cp = b & 0x0F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            extra = 3;
            cp = b & 0x07;
        } else {
            return false;
        }
        if (i + extra >= n)
            return false;
        for (int k = 1; k <= extra; ++k) {
            auto c = static_cast<unsigned char>(bytes[i + k]);
            if ((c & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (c & 0x3F);
        }
        if ((extra == 2 && cp < 0x800) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)) ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

std::string Latin1ToUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (char c : bytes)
        appendUtf8(out, static_cast<unsigned char>(c));
    return out;
}

std::optional<std::string> Utf8ToLatin1(std::string_view utf8)
{
    if (!IsValidUtf8(utf8))
        return std::nullopt;
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        uint32_t cp = nextCodePoint(utf8, i);
        if (cp > 0xFF)
            return std::nullopt;
        out += static_cast<char>(cp);
    }
    return out;
}

// CP932 to UTF-8 with glibc iconv ("SHIFT_JIS" there lacks the Windows extensions such as
// circled digits and NEC/IBM kanji). Strict: nothing on any bad sequence.
namespace {
std::optional<std::string> decodeStrictly(std::string_view bytes, const char* encoding);
}

std::optional<std::string> DecodeCp932(std::string_view bytes)
{
    return decodeStrictly(bytes, "CP932");
}

std::optional<std::string> DecodeEucJp(std::string_view bytes)
{
    return decodeStrictly(bytes, "EUC-JP-MS");
}

namespace {
std::optional<std::string> decodeStrictly(std::string_view bytes, const char* encoding)
{
    if (bytes.empty())
        return std::string();
    iconv_t cd = iconv_open("UTF-8", encoding);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    std::string out;
    out.reserve(bytes.size() * 3 / 2 + 4);
    char buffer[4096];
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    bool ok = true;
    while (inLeft > 0) {
        char* dst = buffer;
        size_t outLeft = sizeof buffer;
        size_t rc = iconv(cd, &in, &inLeft, &dst, &outLeft);
        out.append(buffer, sizeof buffer - outLeft);
        if (rc != static_cast<size_t>(-1)) {
            // A count of irreversible conversions means iconv substituted something.
            ok = rc == 0;
            break;
        }
        if (errno != E2BIG) {
            ok = false;
            break;
        }
    }
    iconv_close(cd);
    if (!ok)
        return std::nullopt;
    return out;
}
} // namespace

std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian)
{
    std::string out;
    out.reserve(bytes.size() * 3 / 2);
    const size_t units = bytes.size() / 2;
    auto unitAt = [&](size_t k) -> uint32_t {
        auto a = static_cast<unsigned char>(bytes[2 * k]);
        auto b = static_cast<unsigned char>(bytes[2 * k + 1]);
        return bigEndian ? (a << 8 | b) : (b << 8 | a);
    };
    for (size_t k = 0; k < units; ++k) {
        uint32_t u = unitAt(k);
        if (u >= 0xD800 && u <= 0xDBFF && k + 1 < units) {
            uint32_t low = unitAt(k + 1);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                appendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                ++k;
                continue;
            }
        }
        if (u >= 0xD800 && u <= 0xDFFF)
            u = 0xFFFD;
        appendUtf8(out, u);
    }
    return out;
}

namespace {

// Windows-1252's characters for 0x80..0x9F (0 where the code page has none: the byte then
// stands for the control character of the same value, as Latin-1 has it).
constexpr uint16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

bool isAsciiLetter(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// A letter of Windows-1252 past ASCII: À..ÿ but × and ÷, and Š Œ Ž š œ ž Ÿ.
bool isHighLetter(unsigned char c)
{
    return (c >= 0xC0 && c != 0xD7 && c != 0xF7) || c == 0x8A || c == 0x8C || c == 0x8E ||
           c == 0x9A || c == 0x9C || c == 0x9E || c == 0x9F;
}

// Punctuation that European text in Windows-1252 carries: quotes, dashes, ellipsis, « » ¿ ¡ ° ©.
bool isHighPunctuation(unsigned char c)
{
    return (c >= 0x91 && c <= 0x94) || c == 0x96 || c == 0x97 || c == 0x85 || c == 0xAB ||
           c == 0xBB || c == 0xBF || c == 0xA1 || c == 0xB0 || c == 0xA9;
}

// How much bytes (clean CP932) look like Japanese: kana and common kanji count 2, rare kanji,
// symbols and full-width letters 1, half-width katakana only in runs (a lone one is far more
// often an accented capital such as À or É).
int japaneseScore(std::string_view bytes)
{
    int score = 0;
    int halfWidthRun = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            halfWidthRun = 0;
            continue;
        }
        if (b >= 0xA1 && b <= 0xDF) {
            ++halfWidthRun;
            score += halfWidthRun == 2 ? 2 : halfWidthRun > 2 ? 1 : 0;
            continue;
        }
        halfWidthRun = 0;
        if (i + 1 >= bytes.size())
            break;
        const unsigned code = b << 8 | static_cast<unsigned char>(bytes[++i]);
        if ((code >= 0x829F && code <= 0x82F1) || (code >= 0x8340 && code <= 0x8396) ||
            (code >= 0x889F && code <= 0x9872))
            score += 2;  // hiragana, katakana, first-level kanji
        else if ((code >= 0x8141 && code <= 0x81AC) || (code >= 0x824F && code <= 0x829A) ||
                 (code >= 0x8740 && code <= 0x879C) || (code >= 0x989F && code <= 0xEAA4) ||
                 (code >= 0xED40 && code <= 0xEEFC) || (code >= 0xFA40 && code <= 0xFC4B))
            score += 1;  // punctuation, full-width letters, circled digits, rarer kanji
    }
    return score;
}

// How much the same bytes look like European text in Windows-1252: an accented letter inside
// a word counts 2, one standing alone as a word ("À la") 1; quotes and dashes count 2 beside
// an ASCII letter, 1 beside other ASCII.
int europeanScore(std::string_view bytes)
{
    int score = 0;
    const size_t n = bytes.size();
    for (size_t i = 0; i < n; ++i) {
        auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80)
            continue;
        const int prev = i > 0 ? static_cast<unsigned char>(bytes[i - 1]) : -1;
        const int next = i + 1 < n ? static_cast<unsigned char>(bytes[i + 1]) : -1;
        auto asciiLetter = [](int c) { return c >= 0 && isAsciiLetter(static_cast<unsigned char>(c)); };
        auto plain = [](int c) { return c < 0x80; };  // ASCII or the field's edge
        if (isHighLetter(b)) {
            // Runs of high bytes are what CP932 text is made of; European words mix them
            // with ASCII letters.
            if (asciiLetter(prev) || asciiLetter(next))
                score += 2;
            else if (plain(prev) && plain(next))
                score += 1;
        } else if (isHighPunctuation(b)) {
            if (asciiLetter(prev) || asciiLetter(next))
                score += 2;
            else if ((prev >= 0 && plain(prev)) || (next >= 0 && plain(next)))
                score += 1;
        }
    }
    return score;
}

// True when clean CP932 bytes are more plausibly Japanese than European.
bool plausibleJapanese(std::string_view bytes)
{
    const int japanese = japaneseScore(bytes);
    return japanese >= 2 && japanese > europeanScore(bytes);
}

bool isCp932Lead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// How much bytes (clean EUC-JP) look like Japanese: kana count 3 (as CP932 the same bytes are
// half-width punctuation followed by katakana, which no one writes), first-level kanji 2, other
// kanji, symbols and half-width katakana 1.
int eucScore(std::string_view bytes)
{
    int score = 0;
    for (size_t i = 0; i + 1 < bytes.size(); ++i) {
        auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80)
            continue;
        auto next = static_cast<unsigned char>(bytes[++i]);
        if (b == 0x8F) { // three bytes: JIS X 0212
            ++i;
            score += 1;
        } else if (b == 0xA4 || b == 0xA5) {
            score += next <= 0xF6 ? 3 : 1;
        } else if (b >= 0xB0 && b <= 0xCF) {
            score += 2;
        } else {
            score += 1;
        }
    }
    return score;
}

// The encoding the bytes (not all ASCII) read best in: EUC-JP or CP932 when clean and
// plausibly Japanese, else nothing.
std::optional<LegacyEncoding> japaneseEncoding(std::string_view bytes)
{
    const bool sjis = DecodeCp932(bytes).has_value() && plausibleJapanese(bytes);
    const int cp932 = sjis ? japaneseScore(bytes) : 0;
    if (DecodeEucJp(bytes)) {
        const int euc = eucScore(bytes);
        if (euc >= 2 && euc > cp932 && euc > europeanScore(bytes))
            return LegacyEncoding::EucJp;
    }
    if (sjis)
        return LegacyEncoding::ShiftJis;
    return std::nullopt;
}

// The whole of bytes as Japanese (EUC-JP or CP932) when that decodes cleanly and reads so.
std::optional<std::string> japaneseText(std::string_view bytes)
{
    const auto encoding = japaneseEncoding(bytes);
    if (!encoding)
        return std::nullopt;
    return *encoding == LegacyEncoding::EucJp ? DecodeEucJp(bytes) : DecodeCp932(bytes);
}

} // namespace

std::string Cp1252ToUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    for (char c : bytes) {
        auto b = static_cast<unsigned char>(c);
        const uint16_t mapped = b >= 0x80 && b <= 0x9F ? kCp1252High[b - 0x80] : 0;
        appendUtf8(out, mapped ? mapped : b);
    }
    return out;
}

LegacyEncoding DetectLegacyEncoding(std::string_view bytes)
{
    bool ascii = true;
    for (char c : bytes)
        ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii)
        return LegacyEncoding::Western;
    if (auto encoding = japaneseEncoding(bytes))
        return *encoding;
    if (bytes.size() >= 2 && isCp932Lead(static_cast<unsigned char>(bytes.back()))) {
        size_t i = 0;
        while (i + 1 < bytes.size())
            i += isCp932Lead(static_cast<unsigned char>(bytes[i])) ? 2 : 1;
        if (i == bytes.size() - 1)
            if (auto encoding = japaneseEncoding(bytes.substr(0, bytes.size() - 1)))
                return *encoding;
    }
    return LegacyEncoding::Western;
}

std::string DecodeLegacyAs(std::string_view bytes, LegacyEncoding encoding)
{
    std::optional<std::string> text;
    switch (encoding) {
    case LegacyEncoding::Automatic:
        return DecodeLegacyText(bytes);
    case LegacyEncoding::ShiftJis:
        text = DecodeCp932(bytes);
        if (!text && !bytes.empty()) // a fixed-width field cut in a character
            text = DecodeCp932(bytes.substr(0, bytes.size() - 1));
        break;
    case LegacyEncoding::EucJp:
        text = DecodeEucJp(bytes);
        break;
    case LegacyEncoding::Utf8:
        if (IsValidUtf8(bytes))
            text = std::string(bytes);
        break;
    case LegacyEncoding::Western:
        break;
    }
    return text ? *text : Cp1252ToUtf8(bytes);
}

const char* LegacyEncodingName(LegacyEncoding encoding)
{
    switch (encoding) {
    case LegacyEncoding::ShiftJis:
        return "Shift-JIS";
    case LegacyEncoding::EucJp:
        return "EUC-JP";
    case LegacyEncoding::Western:
        return "Western (Windows-1252)";
    case LegacyEncoding::Utf8:
        return "UTF-8";
    case LegacyEncoding::Automatic:
        break;
    }
    return "Automatic";
}

std::string DecodeLegacyText(std::string_view bytes)
{
    bool ascii = true;
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii)
        return std::string(bytes);
    if (auto sjis = japaneseText(bytes))
        return *sjis;
    // A fixed-width field (ID3v1's 30 bytes) may end in the first half of a two-byte
    // character: without it the rest may be clean Japanese.
    if (bytes.size() >= 2 && isCp932Lead(static_cast<unsigned char>(bytes.back()))) {
        // Only when that last byte starts a character rather than ends one.
        size_t i = 0;
        while (i + 1 < bytes.size()) {
            auto b = static_cast<unsigned char>(bytes[i]);
            i += isCp932Lead(b) ? 2 : 1;
        }
        if (i == bytes.size() - 1) {
            if (auto sjis = japaneseText(bytes.substr(0, bytes.size() - 1)))
                return *sjis;
        }
    }
    return Cp1252ToUtf8(bytes);
}

std::string DecodeTextFile(std::string_view bytes)
{
    auto starts = [&](std::string_view prefix) { return bytes.substr(0, prefix.size()) == prefix; };
    if (starts("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    else if (starts("\xFF\xFE"))
        return Utf16ToUtf8(bytes.substr(2), false);
    else if (starts("\xFE\xFF"))
        return Utf16ToUtf8(bytes.substr(2), true);
    if (IsValidUtf8(bytes))
        return std::string(bytes);
    if (auto sjis = japaneseText(bytes))
        return *sjis;
    return Cp1252ToUtf8(bytes);
}
