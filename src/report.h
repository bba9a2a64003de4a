#pragma once

#include <cstdio>

#include "folder_table.h"
#include "platform.h"

// The shell call the report makes, as a type, so that tests can pass a fake.
using SpecialFolderQuery = decltype(&SHGetSpecialFolderPathA);

// Every query writes here and every report line prints it.
extern char pathBuffer[MAX_PATH];

// Prints one line per row of `table` to `out`, through the platform's
// printLine: the found, created or failed line.  Returns 0 when every line
// was written, else the errno of the first failed write.
int writeReport(const FolderEntry* table, SpecialFolderQuery query, std::FILE* out);

// Flushes and closes `out` once the report is written.  Returns the first
// error of the whole report: `writeError` when it is not 0, else the errno
// of the flush or of the close, if either failed, else 0.
int closeReport(std::FILE* out, int writeError);
