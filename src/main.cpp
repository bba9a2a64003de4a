#include <cerrno>
#include <cstdio>
#include <cstring>

#include "report.h"

// Arguments are ignored: the report is the same whatever the command line.
int main()
{
    int writeError = writeReport(folderTable, SHGetSpecialFolderPathA, stdout);
    if (std::fflush(stdout) != 0 && writeError == 0) {
        writeError = errno != 0 ? errno : EIO;
    }
    if (writeError == 0) {
        return 0;
    }
    // A report that did not reach its reader must not look like a success.
    std::fprintf(stderr, "folderreport: write error: %s\n", std::strerror(writeError));
    return 1;
}
