// Helpers for the engine's records.
#include "records.h"

std::string CutUtf8(const std::string& text, int maxChars)
{
    if (maxChars <= 0)
        return {};
    int chars = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        // A byte that is not a continuation byte (10xxxxxx) starts a character.
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            if (chars == maxChars)
                return text.substr(0, i);
            ++chars;
        }
    }
    return text;
}
