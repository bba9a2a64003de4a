#include <cerrno>
#include <iterator>

#include <io.h>

#include "platform.h"

// The C runtime's own fprintf: mingw-w64's headers give C++ mingw's printf
// under that name, whose failed writes do not set errno.
#ifdef __MINGW32__
#define runtimeFprintf __ms_fprintf
#else
#define runtimeFprintf std::fprintf
#endif

namespace {

// The console `out` writes to, or null when it is a file, a pipe or closed.
HANDLE consoleOf(std::FILE* out)
{
    const intptr_t handle = _get_osfhandle(_fileno(out));
    DWORD mode;
    if (handle == -1 || !GetConsoleMode(reinterpret_cast<HANDLE>(handle), &mode)) {
        return nullptr;
    }
    return reinterpret_cast<HANDLE>(handle);
}

// The C runtime's errno for what the console reports.
int errnoOf(DWORD error)
{
    switch (error) {
    case ERROR_INVALID_HANDLE: return EBADF;
    case ERROR_BROKEN_PIPE:
    case ERROR_NO_DATA: return EPIPE;
    default: return EIO;
    }
}

// One line at a time: the longest is a name, a path of MAX_PATH bytes and
// the words around them.
char line[2 * MAX_PATH];
wchar_t wideLine[2 * MAX_PATH];

}  // namespace

int printLine(std::FILE* out, const char* format, const char* first, const char* second)
{
    const HANDLE console = consoleOf(out);
    if (console == nullptr) {
        // Its text mode writes each line feed as CR LF.  A write that fails
        // sets errno and the stream's error flag, though not every C
        // runtime makes fprintf return a negative count for it (Wine's does
        // not on an unbuffered stream).
        const int length = runtimeFprintf(out, format, first, second);
        return std::ferror(out) ? -1 : length;
    }
    // A console shows bytes in its own code page, which is seldom the
    // process code page the paths come in: it gets UTF-16, which it shows
    // whatever its code page, and CR LF as a file would.
    const int length = _snprintf(line, sizeof line, format, first, second);
    if (length <= 0 || line[length - 1] != '\n') {
        errno = EINVAL;
        return -1;
    }
    const int wide = MultiByteToWideChar(CP_ACP, 0, line, length - 1, wideLine, static_cast<int>(std::size(wideLine)) - 2);
    if (wide == 0 && length > 1) {
        errno = EILSEQ;
        return -1;
    }
    wideLine[wide] = L'\r';
    wideLine[wide + 1] = L'\n';
    DWORD written = 0;
    if (!WriteConsoleW(console, wideLine, static_cast<DWORD>(wide + 2), &written, nullptr) ||
        written != static_cast<DWORD>(wide + 2)) {
        errno = errnoOf(GetLastError());
        return -1;
    }
    return length;
}
