// Text decoding for tags and lyrics: UTF-8 checks, UTF-16, Latin-1 and Shift-JIS (CP932).
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

// True when the UTF-8 text holds hiragana, katakana (full or half width) or CJK ideographs.
bool HasKanaOrKanji(std::string_view utf8);

// Bytes from a tag field declared Latin-1: Shift-JIS when all of it decodes cleanly as CP932
// and it holds kana or kanji, otherwise Latin-1. Text that only holds rare kanji or a lone
// half-width katakana and also reads as European words ("Monáe", "Ärzte") stays Latin-1.
// Returns UTF-8.
std::string DecodeLegacyText(std::string_view bytes);

// Bytes of a text file: UTF-8 (BOM skipped), UTF-16 LE/BE with a BOM, else CP932 with each
// undecodable byte shown as U+FFFD. Returns UTF-8 without a BOM.
std::string DecodeTextFile(std::string_view bytes);
