#include <cstring>
#include <cwchar>

#include "platform.h"
#include "printable.h"

namespace {

wchar_t shellPath[MAX_PATH];  // the shell's own Unicode path for the folder
wchar_t bytesRead[MAX_PATH];  // the bytes it gave, read in the process code page
char shellBytes[MAX_PATH];    // that Unicode path, written in the process code page

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
// break the report's one line per row, and known to be the shell's whole
// path.  Where the shell gives its Unicode path (`unicode`; null where it
// gives none), the bytes must be that path as the shell writes it in the
// process code page, '?' and look-alikes included: bytes of another path,
// or of this one cut short, are not.
bool isShowable(const char* path, int bytes, const wchar_t* unicode)
{
    if (!isPrintable(path, path + bytes - 1)) {
        return false;
    }
    return unicode == nullptr ||
           (WideCharToMultiByte(CP_ACP, 0, unicode, -1, shellBytes, MAX_PATH, nullptr, nullptr) == bytes &&
            std::memcmp(shellBytes, path, static_cast<std::size_t>(bytes)) == 0);
}

}  // namespace

BOOL WINAPI specialFolderPath(HWND owner, LPSTR path, int csidl, BOOL create)
{
    // No byte of the buffer is a NUL before the call, so that the first NUL
    // after it is one the shell wrote: bytes the shell left without one
    // (a path too long for the buffer, cut after its last whole character)
    // or bytes an earlier query left are never taken for a path.
    std::memset(path, '\xff', MAX_PATH);
    const BOOL given = SHGetSpecialFolderPathA(owner, path, csidl, create);
    const void* end = std::memchr(path, '\0', MAX_PATH);
    if (end == nullptr) {
        path[0] = '\0';
        return FALSE;
    }
    const int bytes = static_cast<int>(static_cast<const char*>(end) - path) + 1;
    // One Unicode query serves both checks.
    const wchar_t* unicode = SHGetSpecialFolderPathW(owner, shellPath, csidl, FALSE) ? shellPath : nullptr;
    shellPath[MAX_PATH - 1] = L'\0';
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
