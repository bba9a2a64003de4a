#include "report.h"

#include <cerrno>

char pathBuffer[MAX_PATH];

namespace {

const char foundFormat[] = "%-16s: %s\n";
const char createdFormat[] = "%-16s: CREATED (%s)\n";
const char failedFormat[] = "%-16s: FAILED (%s)\n";

bool ask(SpecialFolderQuery query, int csidl, BOOL create)
{
    // Cleared first so that a failed line never shows an earlier row's path,
    // and terminated after, so that a shell leaving the buffer full cannot
    // make the print run past it.
    pathBuffer[0] = '\0';
    const BOOL found = query(nullptr, pathBuffer, csidl, create);
    pathBuffer[MAX_PATH - 1] = '\0';
    return found != 0;
}

}  // namespace

int writeReport(const FolderEntry* table, SpecialFolderQuery query, std::FILE* out)
{
    int writeError = 0;
    for (const FolderEntry* row = table; row->csidl != endOfTable; ++row) {
        const char* format = foundFormat;
        if (!ask(query, row->csidl, 0)) {
            format = ask(query, row->csidl, 1) ? createdFormat : failedFormat;
        }
        errno = 0;
        if (printLine(out, format, row->name, pathBuffer) < 0 && writeError == 0) {
            writeError = errno != 0 ? errno : EIO;
        }
    }
    return writeError;
}
