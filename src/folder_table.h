#pragma once

#include <cstdint>

// One row of the report: the shell's folder code and the name printed for it.
struct FolderEntry {
    std::int32_t csidl;
    const char* name;
};

// Rows in report order, ended by a row whose csidl is -1 (its name is null
// and never read).  There is no count: readers stop at that row.
extern const FolderEntry folderTable[15];
