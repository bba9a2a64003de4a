// Prints the folder table as data, one "NAME CODE" line per row in report
// order, so that the shell tests take the codes from the program itself.
#include <cstdio>

#include "folder_table.h"

int main()
{
    for (const FolderEntry* row = folderTable; row->csidl != endOfTable; ++row) {
        std::printf("%s %d\n", row->name, static_cast<int>(row->csidl));
    }
    return 0;
}
