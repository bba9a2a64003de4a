#pragma once

#include <cstdio>

// What the report needs of a system without the Windows shell: a stand-in
// for the shell's SHGetSpecialFolderPathA, with its name, arguments and
// promise: nonzero on success with a NUL-terminated path of fewer than
// MAX_PATH characters in `path`; zero on failure with a NUL-terminated
// string in `path`: the folder that could not be found or made, or "".

using BOOL = int;
using HWND = void*;
using LPSTR = char*;
#define WINAPI
#define MAX_PATH 260

extern "C" BOOL SHGetSpecialFolderPathA(HWND owner, LPSTR path, int csidl, BOOL create);

// The query the report makes: here the stand-in itself.
inline constexpr auto& specialFolderPath = SHGetSpecialFolderPathA;

// Prints `format` with its two string arguments: a line of the report, or
// the error line.  Plain stdio: the bytes as they are.
inline int printLine(std::FILE* out, const char* format, const char* first, const char* second)
{
    return std::fprintf(out, format, first, second);
}
