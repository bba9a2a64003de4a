#pragma once

#include <algorithm>

// True when no byte of [begin, end) is from 1 to 31: Windows allows them in
// no name, and they would break the report's one line per folder.  Both
// platforms' queries apply it to the paths the report prints.  (The lowest
// byte, in one pass that the compiler vectorises.)
inline bool isPrintable(const char* begin, const char* end)
{
    unsigned char lowest = 0xff;
    for (; begin < end; ++begin) {
        lowest = std::min(lowest, static_cast<unsigned char>(*begin));
    }
    return lowest >= 0x20;
}
