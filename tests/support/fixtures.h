// Test fixtures made at test time with sox and lame, in a temporary folder per test run.
#pragma once

#include <string>

// A fresh temporary folder removed at process exit.
std::string TestTempDir();

struct ToneSpec {
    double seconds = 2.0;
    double frequencyHz = 440.0;
    int sampleRate = 44100;
    int channels = 2;
    int bitRate = 128;         // CBR kbit/s; 0 = VBR (with a Xing header)
    std::string title;         // ID3 title (empty = no tag unless artist set)
    std::string artist;
    std::string album;
    std::string year;
};

// Makes an MP3 at path (sox synthesises a sine, lame encodes). Returns false when the tools
// fail; the caller then fails the test with the message in lastFixtureError().
bool MakeToneMp3(const std::string& path, const ToneSpec& spec = {});
std::string LastFixtureError();
// Runs a shell command, returns its exit status.
int RunCommand(const std::string& command);

// A small tmpfs mounted for the test's life (root only: CI runs as root). mounted() is false,
// with why() saying so, where mounting is not allowed; the test then skips.
class SmallTmpfs {
public:
    SmallTmpfs(const std::string& dir, int kilobytes, bool readOnly = false);
    ~SmallTmpfs();
    SmallTmpfs(const SmallTmpfs&) = delete;
    SmallTmpfs& operator=(const SmallTmpfs&) = delete;
    bool mounted() const { return m_mounted; }
    const std::string& why() const { return m_why; }
    // Fills the file system with a filler file until at most leaveBytes are free.
    bool fill(long long leaveBytes);

private:
    std::string m_dir;
    bool m_mounted = false;
    std::string m_why;
};
