#pragma once

#include <sys/stat.h>

#include "stand_in_shell.h"

inline bool isDirectory(const char* path)
{
    struct stat status;
    return stat(path, &status) == 0 && S_ISDIR(status.st_mode);
}

// Creates `path` (canonical, absolute) and its missing parents as `mkdir -p`
// does, each folder with the mode of what it is: true when `path` is a
// folder at the end.  Never made: /opt, /usr/share, and the missing home or
// a folder above it, however spelled.  When the folder cannot be made, the
// folders made on the way are removed again, where they are still empty.
bool makeDirectories(const StandInContext& context, const char* path);
