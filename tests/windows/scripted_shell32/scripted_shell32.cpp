// A SHELL32.dll that answers the program's two shell calls from a script,
// so that the Windows side meets answers Wine's shell gives only in rare
// cases, or never: bytes with no NUL, a path cut short, a Unicode answer
// that disagrees.  Loaded beside the program in place of the real one
// (WINEDLLOVERRIDES=shell32=n).  SHELL_ANSWERS names the script, one answer
// per line:
//   A CSIDL CREATE RESULT NUL|RAW BYTES   what SHGetSpecialFolderPathA writes
//                                         (BYTES, then a NUL unless RAW) and
//                                         returns, for that code and flag
//   W CSIDL RESULT TEXT                   what SHGetSpecialFolderPathW gives
//                                         (TEXT in UTF-8) and returns
// A call no line answers returns 0 and writes nothing.
#include <cstdlib>
#include <cstring>

#include <windows.h>

namespace {

char script[64 * 1024];

// The rest of the line that answers `kind` for `csidl` (and `create`, for
// the A call), after RESULT and its blank; null when none does.
const char* answer(char kind, int csidl, int create, int& result)
{
    if (script[0] == '\0') {
        char name[MAX_PATH];
        const DWORD length = GetEnvironmentVariableA("SHELL_ANSWERS", name, sizeof name);
        const HANDLE file = length > 0 && length < sizeof name
                                ? CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)
                                : INVALID_HANDLE_VALUE;
        DWORD read = 0;
        if (file == INVALID_HANDLE_VALUE || !ReadFile(file, script, sizeof script - 1, &read, nullptr)) {
            std::abort();  // a run without its script proves nothing
        }
        CloseHandle(file);
        script[read] = '\0';
    }
    for (const char* line = script; *line != '\0';) {
        char* at = nullptr;
        if (*line == kind) {
            const long code = std::strtol(line + 1, &at, 10);
            const long flag = kind == 'A' ? std::strtol(at, &at, 10) : create;
            result = static_cast<int>(std::strtol(at, &at, 10));
            if (code == csidl && flag == create) {
                return at + 1;
            }
        }
        const char* end = std::strchr(line, '\n');
        line = end != nullptr ? end + 1 : line + std::strlen(line);
    }
    return nullptr;
}

std::size_t lineLength(const char* text) { return std::strcspn(text, "\r\n"); }

}  // namespace

extern "C" __declspec(dllexport) BOOL WINAPI SHGetSpecialFolderPathA(HWND, LPSTR path, int csidl, BOOL create)
{
    int result = 0;
    const char* rest = answer('A', csidl, create ? 1 : 0, result);
    if (rest == nullptr) {
        return FALSE;
    }
    const bool raw = std::strncmp(rest, "RAW ", 4) == 0;
    const char* bytes = rest + 4;
    const std::size_t length = lineLength(bytes);
    std::memcpy(path, bytes, length < MAX_PATH ? length : MAX_PATH);
    if (!raw && length < MAX_PATH) {
        path[length] = '\0';
    }
    return result;
}

extern "C" __declspec(dllexport) BOOL WINAPI SHGetSpecialFolderPathW(HWND, LPWSTR path, int csidl, BOOL)
{
    int result = 0;
    const char* text = answer('W', csidl, 0, result);
    if (text == nullptr) {
        return FALSE;
    }
    const int length = static_cast<int>(lineLength(text));
    const int wide = MultiByteToWideChar(CP_UTF8, 0, text, length, path, MAX_PATH - 1);
    path[wide] = L'\0';
    return result;
}
