#pragma once

#include "shell_api.h"
#include "user_dirs.h"

// What the stand-in shell knows of the user, read once from the process's
// environment, the password database and user-dirs.dirs.  Every path is in
// canonical form: no run of '/', no trailing '/' but in "/" itself.
struct StandInContext {
    char home[MAX_PATH];        // empty: no home, so no per-user folder
    char configHome[MAX_PATH];  // XDG_CONFIG_HOME or its default
    char dataHome[MAX_PATH];    // XDG_DATA_HOME or its default
    UserDirs userDirs;
};

// Fills `context` from the current environment.  The context is large (a few
// KiB); callers give it static storage.
void loadStandInContext(StandInContext& context);

// The stand-in's answer for one folder code, with the shell's contract.
BOOL queryStandIn(const StandInContext& context, LPSTR path, int csidl, BOOL create);
