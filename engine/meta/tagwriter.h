// Writes TagInfo as ID3v2.3 plus ID3v1 through a temporary copy renamed over the original.
//
// Safe on any thread, but two writers must not target the same file at once. Blocks on file I/O.
#pragma once

#include <functional>
#include <string>

#include "engine/records.h"

class TagWriter {
public:
    // The steps of a write; a test can make one of them fail to check the original survives.
    enum class Step { None, Copy, Tag, Sync, Rename };

    // Writes tag into the file at path. ID3v2.3 holds every field (UTF-16 frames for non-ASCII
    // text); ID3v1 holds each field in Latin-1, or in CP932 cut at a whole character when
    // Latin-1 cannot hold it, or leaves it empty when neither can.
    // Trailing blanks are dropped; genre -1 writes no genre. The original is replaced by rename,
    // keeping its permissions, so it is never seen half-written. On failure the original is
    // untouched, the temporary removed, error set (English, for logs) and false returned.
    bool write(const std::string& path, const TagInfo& tag, std::string& error) const;

    // Changes the tag of the file at path the same safe way: apply gets a copy's path, changes
    // that copy (setting error on failure) and the copy replaces the original.
    using Change = std::function<bool(const std::string& copyPath, std::string& error)>;
    bool rewrite(const std::string& path, const Change& apply, std::string& error) const;

    // Test seam: make the given step fail as if the disk refused it.
    void setFailAt(Step step) { m_failAt = step; }

private:
    Step m_failAt = Step::None;
};

// Convenience for TagWriter{}.write(path, tag, error).
bool WriteTag(const std::string& path, const TagInfo& tag, std::string& error);
