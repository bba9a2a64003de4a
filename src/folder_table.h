#pragma once

#include <cstdint>

// One row of the report: the shell's folder code and the name printed for it.
struct FolderEntry {
    std::int32_t csidl;
    const char* name;
};

// The code of the row that ends the table; no folder has it.
constexpr std::int32_t endOfTable = -1;

// Rows in report order, ended by a row whose csidl is endOfTable (its name
// is null and never read).  There is no count: readers stop at that row.
extern const FolderEntry folderTable[];
