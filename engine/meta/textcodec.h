// Text decoding for tags and text files: UTF-8 checks, UTF-16, Windows-1252 and Shift-JIS (CP932).
//
// Pure functions, safe on any thread; all results are UTF-8 owned by the caller.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// True when bytes are well-formed UTF-8 (no overlongs, surrogates or values past U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

// Each byte taken as the code point of the same value.
std::string Latin1ToUtf8(std::string_view bytes);

// The text as Latin-1 bytes, or nothing when a character lies past U+00FF.
std::optional<std::string> Utf8ToLatin1(std::string_view utf8);

// Strict CP932 decode: nothing when any byte sequence is invalid or unmapped.
std::optional<std::string> DecodeCp932(std::string_view bytes);

// UTF-16 bytes (no BOM) to UTF-8; unpaired surrogates become U+FFFD, an odd last byte is dropped.
std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian);

// Bytes in Windows-1252 (the Western code page that tools writing "Latin-1" use) to UTF-8.
std::string Cp1252ToUtf8(std::string_view bytes);

// Strict EUC-JP decode (with the NEC and IBM extensions Windows added): nothing when any byte
// sequence is invalid or unmapped.
std::optional<std::string> DecodeEucJp(std::string_view bytes);

// The encodings legacy 8-bit text may be read in. Automatic chooses as DecodeLegacyText does.
enum class LegacyEncoding { Automatic = 0, ShiftJis = 1, EucJp = 2, Western = 3, Utf8 = 4 };

// The encoding DecodeLegacyText takes for bytes (never Automatic; Western for ASCII).
LegacyEncoding DetectLegacyEncoding(std::string_view bytes);
// bytes read in encoding; bytes that encoding cannot read come out as Western (Windows-1252).
std::string DecodeLegacyAs(std::string_view bytes, LegacyEncoding encoding);
// "Shift-JIS", "EUC-JP", "Western (Windows-1252)", "UTF-8" or "Automatic".
const char* LegacyEncodingName(LegacyEncoding encoding);

// The one reading of legacy 8-bit text, for tag fields and text files alike: CP932 only when
// all of it decodes cleanly and it is more plausible as Japanese than as European text (kana
// and kanji against accented letters inside words; a lone half-width katakana is taken for an
// accented capital such as À), otherwise Windows-1252. For a tag field, a trailing first half
// of a two-byte character (a fixed-width field cut in the middle of one) is dropped when the
// rest then reads as Japanese. EUC-JP is taken instead of CP932 when the bytes are clean
// EUC-JP and read more plausibly so (kana and common kanji, where CP932 would give runs of
// half-width katakana). Returns UTF-8.
std::string DecodeLegacyText(std::string_view bytes);

// Bytes of a text file (documents, lyrics, playlists, presets, settings): UTF-16 LE/BE with a
// BOM, UTF-8 (BOM skipped), else the legacy reading above. Returns UTF-8 without a BOM.
std::string DecodeTextFile(std::string_view bytes);
