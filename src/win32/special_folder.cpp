#include <cstring>
#include <cwchar>

#include "platform.h"

namespace {

wchar_t shellPath[MAX_PATH];  // the shell's own Unicode path for the folder
wchar_t bytesRead[MAX_PATH];  // the bytes it gave, read in the process code page

// True when the `path` the shell gave for `csidl` is whole: NUL-terminated
// within MAX_PATH bytes, valid in the process code page, the very path the
// shell holds in Unicode, and an existing directory.  A code page that cannot
// hold a character of the path gives '?' or a look-alike ("Jurgen" for
// "Jürgen", another user's folder); a path longer than MAX_PATH bytes in it
// comes cut, maybe mid-character; a file can stand where the folder should.
bool isWholeFolder(HWND owner, const char* path, int csidl)
{
    const void* end = std::memchr(path, '\0', MAX_PATH);
    if (end == nullptr) {
        return false;
    }
    const int bytes = static_cast<int>(static_cast<const char*>(end) - path) + 1;
    if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, path, bytes, bytesRead, MAX_PATH) == 0 ||
        !SHGetSpecialFolderPathW(owner, shellPath, csidl, FALSE) || std::wcscmp(bytesRead, shellPath) != 0) {
        return false;
    }
    const DWORD attributes = GetFileAttributesW(shellPath);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// True when what the shell left in `path` can stand in a failed line as it
// is: NUL-terminated within MAX_PATH bytes, without a control character,
// which would break the report's one line per row, and no path cut short,
// which it is when the shell's own Unicode path for the folder does not fit
// in MAX_PATH bytes of the process code page.
bool isShowable(HWND owner, const char* path, int csidl)
{
    const void* end = std::memchr(path, '\0', MAX_PATH);
    if (end == nullptr) {
        return false;
    }
    for (const char* at = path; at != end; ++at) {
        if (static_cast<unsigned char>(*at) < 0x20) {
            return false;
        }
    }
    return !SHGetSpecialFolderPathW(owner, shellPath, csidl, FALSE) ||
           WideCharToMultiByte(CP_ACP, 0, shellPath, -1, nullptr, 0, nullptr, nullptr) <= MAX_PATH;
}

}  // namespace

BOOL WINAPI specialFolderPath(HWND owner, LPSTR path, int csidl, BOOL create)
{
    if (SHGetSpecialFolderPathA(owner, path, csidl, create) && isWholeFolder(owner, path, csidl)) {
        return TRUE;
    }
    // The failed line shows the shell's bytes, a '?' or a look-alike
    // included, so that the user sees where the shell pointed.
    if (!isShowable(owner, path, csidl)) {
        path[0] = '\0';
    }
    return FALSE;
}
