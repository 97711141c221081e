// The audio file kinds Morvane takes, by name: the one table that folder listings, drops,
// file dialogs, start-up arguments, the file-type registration and the package's desktop entry
// all read. The decoder itself judges a file by its content; a name only decides whether a file
// is offered at all.
#pragma once

#include <array>
#include <cstring>
#include <string_view>

#include <strings.h>

struct AudioFileType {
    const char* extension; // lower case, with the dot
    const char* mimeType;  // the shared MIME database's name; empty: claimed by no MIME type
    const char* label;     // the file dialog's description, before the pattern
    const char* icon;      // the file type's icon in the hicolor theme; empty with no MIME type
};

// MP3 first: the dialogs and the registration list the formats in this order.
inline constexpr std::array<AudioFileType, 10> kAudioFileTypes = {{
    {".mp3", "audio/mpeg", "Mpeg audio layer-Ⅲ", "morvane-audio-mpeg"},
    {".flac", "audio/flac", "FLAC", "morvane-audio-flac"},
    {".ogg", "audio/x-vorbis+ogg", "Ogg Vorbis", "morvane-audio-x-vorbis+ogg"},
    {".oga", "", "Ogg Vorbis", ""},
    {".opus", "audio/x-opus+ogg", "Opus", "morvane-audio-x-opus+ogg"},
    {".m4a", "audio/mp4", "AAC/ALAC", "morvane-audio-mp4"},
    {".mp4", "", "AAC/ALAC", ""},
    {".wav", "audio/x-wav", "WAV", "morvane-audio-x-wav"},
    {".aiff", "audio/x-aiff", "AIFF", "morvane-audio-x-aiff"},
    {".aif", "", "AIFF", ""},
}};

// The table's entry for a file name by its extension in any case (".FLAC" counts as ".flac"),
// or nullptr. Looks at the bytes only, so it serves names that are not valid UTF-8 as well.
inline const AudioFileType* AudioFileTypeOfName(std::string_view name)
{
    const size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || name.size() - dot > 5)
        return nullptr;
    const std::string_view extension = name.substr(dot);
    for (const AudioFileType& format : kAudioFileTypes) {
        if (extension.size() == std::strlen(format.extension) &&
            strncasecmp(extension.data(), format.extension, extension.size()) == 0)
            return &format;
    }
    return nullptr;
}

inline bool IsAudioName(std::string_view name)
{
    return AudioFileTypeOfName(name) != nullptr;
}
