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

// The first error: `error`, or else the errno of a call that just failed.
// (Each output call sets errno when it fails: POSIX asks it of fprintf,
// fflush and fclose, and the console output sets it itself.  errno is read
// only then, so that a report written whole costs no access to it.)
int firstError(int error, bool failed)
{
    if (error != 0 || !failed) {
        return error;
    }
    return errno != 0 ? errno : EIO;
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
        writeError = firstError(writeError, printLine(out, format, row->name, pathBuffer) < 0);
    }
    return writeError;
}

int closeReport(std::FILE* out, int writeError)
{
    // Flushed on its own first, so that a flush that fails is reported with
    // its own cause, not whatever the close leaves in errno after it (and
    // at all: Wine's fclose drops a failed flush).  Closed, not only
    // flushed, so that an error the system reports only when the file is
    // closed is not lost either.
    writeError = firstError(writeError, std::fflush(out) != 0);
    return firstError(writeError, std::fclose(out) != 0);
}
