// Which paths the program may open for reading: regular files only, since opening a FIFO waits
// for a writer forever, a device never ends, nor does a read of /proc/kmsg.
//
// Pure functions, safe on any thread.
#pragma once

#include <cstdint>
#include <string>

// True when path (links followed) is a regular file that holds data; a FIFO, device, socket,
// folder, missing file or a file of /proc, /sys and the like is false. Never blocks on the file
// itself.
bool IsPlainFile(const std::string& path);
// The size of a regular file in bytes, or -1 when path is not one.
int64_t PlainFileSize(const std::string& path);
