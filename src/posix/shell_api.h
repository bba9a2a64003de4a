#pragma once

// The stand-in for the Windows shell's SHGetSpecialFolderPathA on systems
// without it.  Same name, arguments and promise: nonzero on success with a
// NUL-terminated path of fewer than MAX_PATH characters in `path`; zero on
// failure with a NUL-terminated string (here always empty) in `path`.

using BOOL = int;
using HWND = void*;
using LPSTR = char*;
#define WINAPI
#define MAX_PATH 260

extern "C" BOOL SHGetSpecialFolderPathA(HWND owner, LPSTR path, int csidl, BOOL create);
