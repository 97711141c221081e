// The one way the program replaces a file: an unnamed temporary in the target's folder (a
// recognisable named one where the file system has no O_TMPFILE), every write, the flush and
// fsync checked, a name given, rename over the target, fsync of the folder. On any failure
// the old file stays untouched and the temporary is removed.
//
// One thread at a time per instance; the temporaries' journal (below) is safe from any thread.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// What went wrong with a write: the system's error number and the file it concerns.
struct WriteFailure {
    int errorNumber = 0; // errno of the failing call; 0 when there is no system reason
    std::string path;    // the file the user asked for
    std::string detail;  // a short English account for logs and the command line
};

// The reason in the program's Japanese style ("ディスクの空き容量が足りません。" and the like).
std::string WriteFailureReason(int errorNumber);

class SafeFile {
public:
    SafeFile() = default;
    ~SafeFile(); // abandons an uncommitted temporary
    SafeFile(const SafeFile&) = delete;
    SafeFile& operator=(const SafeFile&) = delete;

    // Creates the temporary beside target (created with the target's mode when it exists, else
    // the usual 0666 less umask). A symbolic link target is followed, so the link stays.
    bool open(const std::string& target);
    // Appends bytes; every short write and error is caught (retried on EINTR).
    bool write(const void* data, size_t size);
    bool write(std::string_view bytes) { return write(bytes.data(), bytes.size()); }
    // fsync, close, rename over the target, fsync the folder. False leaves the target as it was.
    bool commit();
    // Removes the temporary; the target is left as it was.
    void abandon();

    int fd() const { return m_fd; }
    // A path that opens the temporary while it is open (/proc/self/fd/N for an unnamed one).
    const std::string& temporaryPath() const { return m_tempPath; }
    const WriteFailure& failure() const { return m_failure; }

private:
    bool fail(int errorNumber, const std::string& detail);
    // Gives the temporary a free name beside the target through create (which returns a
    // descriptor or 0 on success, -1 with errno); -1 with the failure set when none is free.
    int makeNamed(const std::function<int(const std::string&)>& create);

    std::string m_target; // the real file (a link resolved)
    std::string m_tempPath;
    int m_fd = -1;
    bool m_unnamed = false; // an O_TMPFILE file, reached through /proc/self/fd until commit
    bool m_failed = false;
    WriteFailure m_failure;
};

// Replaces path with bytes through a SafeFile. False with failure set.
bool WriteFileAtomically(const std::string& path, std::string_view bytes, WriteFailure& failure);

// The marker every temporary name carries: ".<name>.morvane-tmp-<pid>-XXXXXX".
inline constexpr std::string_view kTemporaryMarker = ".morvane-tmp-";

// Makes every later SafeFile note its temporary in dir (one small file per temporary) until it
// is committed or removed, so that a later start can remove what a killed process left in any
// folder. Empty dir turns the journal off. Process-wide; set once at start.
void SetTemporaryJournal(const std::string& dir);

// Removes temporaries left by processes that no longer run: those the journal in journalDir
// names and those in each of folders. Only names with kTemporaryMarker are ever removed.
// Returns how many files were removed.
int RemoveStaleTemporaries(const std::string& journalDir, const std::vector<std::string>& folders);
