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
