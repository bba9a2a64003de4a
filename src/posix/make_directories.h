#pragma once

#include <sys/stat.h>

inline bool isDirectory(const char* path)
{
    struct stat status;
    return stat(path, &status) == 0 && S_ISDIR(status.st_mode);
}

// Creates `path` (canonical, absolute) and its missing parents as `mkdir -p`
// does: true when `path` is a folder at the end.  The lists hold canonical
// absolute paths and end with a null pointer.  Modes: 0700 for a folder that
// is, lies inside or leads to one of `privateFolders` (as written), else
// 0777, under the umask or a default ACL.  Never made: a folder whose parent,
// as the kernel resolves it, and name give one of `neverMade` or a folder
// above one.  A create that fails removes what it made, where still empty.
bool makeDirectories(const char* path, const char* const* privateFolders, const char* const* neverMade);
