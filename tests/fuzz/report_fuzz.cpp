// The report walk against a shell whose every answer comes from the fuzzer:
// success or failure, and any bytes left in the buffer, unterminated ones
// included.  Each run must print exactly one line per row, in the format of
// its outcome, with what the buffer held up to its last byte, and never read
// past the buffer (AddressSanitizer watches pathBuffer's bounds).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "report.h"

namespace {

const std::uint8_t* input;
std::size_t inputSize;
std::size_t inputAt;
char shadow[MAX_PATH];  // what pathBuffer must hold after each call

std::uint8_t nextByte() { return inputAt < inputSize ? input[inputAt++] : 0; }

BOOL WINAPI fuzzShell(HWND, LPSTR path, int, BOOL)
{
    if (path[0] != '\0') {
        std::abort();  // the walk clears the buffer before every call
    }
    const std::uint8_t control = nextByte();
    const std::size_t length = (nextByte() | std::size_t{nextByte()} << 8) % (MAX_PATH + 1);
    for (std::size_t i = 0; i < length; ++i) {
        const char c = static_cast<char>(nextByte());
        path[i] = c == '\n' ? ' ' : c;  // a shell path never holds a line feed
    }
    std::memcpy(shadow, path, MAX_PATH);
    shadow[MAX_PATH - 1] = '\0';
    // Any nonzero result is success.
    return (control & 1) != 0 ? static_cast<BOOL>(control) : 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    input = data;
    inputSize = size;
    inputAt = 0;
    std::memset(pathBuffer, 0, sizeof pathBuffer);

    char* text = nullptr;
    std::size_t textSize = 0;
    std::FILE* out = open_memstream(&text, &textSize);
    writeReport(folderTable, fuzzShell, out);
    std::fclose(out);

    // Replay the same answers into a buffer of our own, cleared before each
    // call as the walk promises, to know what each line must say.
    inputAt = 0;
    static char replay[MAX_PATH];
    std::memset(replay, 0, sizeof replay);
    std::string expected;
    for (const FolderEntry* row = folderTable; row->csidl != -1; ++row) {
        char field[64];
        std::snprintf(field, sizeof field, "%-16s: ", row->name);
        replay[0] = '\0';
        if (fuzzShell(nullptr, replay, row->csidl, 0) != 0) {
            expected += field + std::string(shadow) + "\n";
            continue;
        }
        replay[0] = '\0';
        const bool created = fuzzShell(nullptr, replay, row->csidl, 1) != 0;
        expected += field + std::string(created ? "CREATED (" : "FAILED (") + shadow + ")\n";
    }
    if (expected != std::string(text, textSize)) {
        std::abort();
    }
    std::free(text);
    return 0;
}
