// Finds the Xing/Info or VBRI header in the first MPEG frame of a file, which gives the number
// of frames without a scan (and the only right count for a file cut short).
#pragma once

#include <string>

struct VbrHeader {
    enum class Kind { None, Xing, Vbri };
    Kind kind = Kind::None;
    long long frames = 0; // frames after the header frame; 0 when the header does not say
};

// Looks at the first frame after any ID3v2 tag (a few kilobytes of reading). Any thread.
VbrHeader FindVbrHeader(const std::string& path);
