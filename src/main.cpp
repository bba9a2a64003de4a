#include <csignal>
#include <cstdio>
#include <cstring>

#include "report.h"

// Arguments are ignored: the report is the same whatever the command line.
int main()
{
    // A reader that has gone away, or a file-size limit reached, is a write
    // error like any other: reported, with status 1, rather than the process
    // dying of the signal the write raised.
#ifdef SIGPIPE
    std::signal(SIGPIPE, SIG_IGN);
#endif
#ifdef SIGXFSZ
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    const int writeError = closeReport(stdout, writeReport(folderTable, specialFolderPath, stdout));
    if (writeError == 0) {
        return 0;
    }
    // A report that did not reach its reader must not look like a success.
    printLine(stderr, "%s: %s\n", "folderreport: write error", std::strerror(writeError));
    return 1;
}
