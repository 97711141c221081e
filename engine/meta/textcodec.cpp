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

namespace {

// CP932 to UTF-8 with glibc iconv ("SHIFT_JIS" there lacks the Windows extensions such as
// circled digits and NEC/IBM kanji). Strict: nothing on any bad sequence. Lenient: each bad
// byte becomes U+FFFD.
std::optional<std::string> convertCp932(std::string_view bytes, bool lenient)
{
    if (bytes.empty())
        return std::string();
    iconv_t cd = iconv_open("UTF-8", "CP932");
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
            if (rc != 0 && !lenient)
                ok = false;
            break;
        }
        if (errno == E2BIG)
            continue;
        if (!lenient) {
            ok = false;
            break;
        }
        out += "\xEF\xBF\xBD";
        ++in;
        --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    if (!ok)
        return std::nullopt;
    return out;
}

} // namespace

std::optional<std::string> DecodeCp932(std::string_view bytes)
{
    return convertCp932(bytes, false);
}

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

bool HasKanaOrKanji(std::string_view utf8)
{
    if (!IsValidUtf8(utf8))
        return false;
    for (size_t i = 0; i < utf8.size();) {
        uint32_t cp = nextCodePoint(utf8, i);
        if ((cp >= 0x3040 && cp <= 0x30FF)     // hiragana, katakana
            || (cp >= 0x31F0 && cp <= 0x31FF)  // katakana phonetic extensions
            || (cp >= 0x3400 && cp <= 0x4DBF)  // CJK extension A
            || (cp >= 0x4E00 && cp <= 0x9FFF)  // CJK unified ideographs
            || (cp >= 0xF900 && cp <= 0xFAFF)  // CJK compatibility ideographs
            || (cp >= 0xFF66 && cp <= 0xFF9F)) // half-width katakana
            return true;
    }
    return false;
}

namespace {

// Strong signs that bytes (already known to be clean CP932) are Japanese: hiragana, full-width
// katakana, first-level (common) kanji, or a run of two or more half-width katakana.
bool hasCommonJapanese(std::string_view bytes)
{
    int halfWidthRun = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            halfWidthRun = 0;
            continue;
        }
        if (b >= 0xA1 && b <= 0xDF) {
            if (++halfWidthRun >= 2)
                return true;
            continue;
        }
        halfWidthRun = 0;
        if (i + 1 >= bytes.size())
            break;
        unsigned code = b << 8 | static_cast<unsigned char>(bytes[++i]);
        if ((code >= 0x829F && code <= 0x82F1) || (code >= 0x8340 && code <= 0x8396) ||
            (code >= 0x889F && code <= 0x9872))
            return true;
    }
    return false;
}

// True when every byte past ASCII is a Latin-1 letter (U+00C0..U+00FF but the multiplication
// and division signs) standing next to another letter, as in "Monáe" or "Ärzte". Such text
// reads as CP932 too (second-level kanji, lone half-width katakana), but far less plausibly.
bool looksLikeEuropeanWords(std::string_view bytes)
{
    auto isLetter = [](unsigned char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
               (c >= 0xC0 && c != 0xD7 && c != 0xF7);
    };
    for (size_t i = 0; i < bytes.size(); ++i) {
        auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80)
            continue;
        if (!isLetter(b))
            return false;
        bool before = i > 0 && isLetter(static_cast<unsigned char>(bytes[i - 1]));
        bool after = i + 1 < bytes.size() && isLetter(static_cast<unsigned char>(bytes[i + 1]));
        if (!before && !after)
            return false;
    }
    return true;
}

} // namespace

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
    auto sjis = DecodeCp932(bytes);
    if (sjis && HasKanaOrKanji(*sjis) &&
        (hasCommonJapanese(bytes) || !looksLikeEuropeanWords(bytes)))
        return *sjis;
    return Latin1ToUtf8(bytes);
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
    if (auto sjis = convertCp932(bytes, true))
        return *sjis;
    return Latin1ToUtf8(bytes);
}
