#pragma once

#include <cstdio>

// What the report needs of Windows: the shell itself (SHELL32), and an output
// that shows every character on a console.
#include <windows.h>
#include <shlobj.h>

// The shell's SHGetSpecialFolderPathA, with the same contract, but nonzero
// only when the path it gives is whole and names an existing folder: the
// bytes, read in the process code page, are the shell's own Unicode path for
// that folder (no character lost to '?' or a look-alike, nothing cut off at
// MAX_PATH bytes), and that path is a directory.  Otherwise zero, with the
// shell's bytes left in `path` where they are known to be its whole path
// (ended by a NUL it wrote, and its Unicode path where it gives one), else
// an empty string, as for a control character.
BOOL WINAPI specialFolderPath(HWND owner, LPSTR path, int csidl, BOOL create);

// Prints `format` with its two string arguments: a line of the report, or
// the error line.  A file or pipe gets the bytes as msvcrt prints them (each
// line feed as CR LF); a console gets the same line with its true
// characters, converted from the process code page and written as UTF-16.
// Like fprintf, negative with errno set when the line could not be written.
int printLine(std::FILE* out, const char* format, const char* first, const char* second);
