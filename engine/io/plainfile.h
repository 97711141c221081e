// Which paths the program may open for reading: regular files only, since opening a FIFO waits
// for a writer forever and a device never ends.
//
// Pure functions, safe on any thread.
#pragma once

#include <cstdint>
#include <string>

// True when path (links followed) is a regular file; a FIFO, device, socket, folder or missing
// file is false. Never blocks on the file itself.
bool IsPlainFile(const std::string& path);
// The size of a regular file in bytes, or -1 when path is not one.
int64_t PlainFileSize(const std::string& path);
