#include <cstring>
#include <cwchar>

#include "platform.h"

namespace {

wchar_t shellPath[MAX_PATH];  // the shell's own Unicode path for the folder
wchar_t bytesRead[MAX_PATH];  // the bytes it gave, read in the process code page

// True when the `path` the shell gave, `bytes` long with its terminating
// NUL, is whole: valid in the process code page, the very path the shell
// holds in Unicode (`unicode`), and an existing directory.  A code page that
// cannot hold a character of the path gives '?' or a look-alike ("Jurgen"
// for "Jürgen", another user's folder); a file can stand where the folder
// should.
bool isWholeFolder(const char* path, int bytes, const wchar_t* unicode)
{
    if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, path, bytes, bytesRead, MAX_PATH) == 0 ||
        std::wcscmp(bytesRead, unicode) != 0) {
        return false;
    }
    const DWORD attributes = GetFileAttributesW(unicode);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// True when what the shell left in `path`, `bytes` long with its NUL, can
// stand in a failed line as it is: without a control character, which would
// break the report's one line per row, and no path cut short, which it is
// when the shell's own Unicode path for the folder (`unicode`, null where
// the shell gave none) does not fit in MAX_PATH bytes of the process code
// page.
bool isShowable(const char* path, int bytes, const wchar_t* unicode)
{
    for (const char* at = path; at != path + bytes - 1; ++at) {
        if (static_cast<unsigned char>(*at) < 0x20) {
            return false;
        }
    }
    return unicode == nullptr || WideCharToMultiByte(CP_ACP, 0, unicode, -1, nullptr, 0, nullptr, nullptr) <= MAX_PATH;
}

}  // namespace

BOOL WINAPI specialFolderPath(HWND owner, LPSTR path, int csidl, BOOL create)
{
    const BOOL given = SHGetSpecialFolderPathA(owner, path, csidl, create);
    // A path not NUL-terminated within MAX_PATH bytes comes cut, maybe
    // mid-character, and is neither whole nor showable.
    const void* end = std::memchr(path, '\0', MAX_PATH);
    if (end == nullptr) {
        path[0] = '\0';
        return FALSE;
    }
    const int bytes = static_cast<int>(static_cast<const char*>(end) - path) + 1;
    // One Unicode query serves both checks.
    const wchar_t* unicode = SHGetSpecialFolderPathW(owner, shellPath, csidl, FALSE) ? shellPath : nullptr;
    if (given && unicode != nullptr && isWholeFolder(path, bytes, unicode)) {
        return TRUE;
    }
    // The failed line shows the shell's bytes, a '?' or a look-alike
    // included, so that the user sees where the shell pointed.
    if (!isShowable(path, bytes, unicode)) {
        path[0] = '\0';
    }
    return FALSE;
}
