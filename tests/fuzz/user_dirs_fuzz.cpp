// The user-dirs.dirs reader over arbitrary bytes: it must stay inside its
// buffers, give well-formed values, and give the same values however the
// input is split into reads.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "user_dirs.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const char* text = reinterpret_cast<const char*>(data);
    UserDirsReader whole;
    whole.feed(text, size);
    UserDirsReader pieces;
    const std::size_t step = size % 13 + 1;
    for (std::size_t at = 0; at < size; at += step) {
        pieces.feed(text + at, size - at < step ? size - at : step);
    }
    for (int i = 0; i < userDirCount; ++i) {
        const UserDirValue& a = whole.value(static_cast<UserDir>(i));
        const UserDirValue& b = pieces.value(static_cast<UserDir>(i));
        const bool wellFormed = a.length < MAX_PATH && std::strlen(a.text) == a.length &&
                                std::memchr(a.text, '\n', a.length) == nullptr &&
                                (!a.tooLong || a.length == MAX_PATH - 1) &&
                                (a.kind != UserDirValue::Absolute || a.text[0] == '/') &&
                                (a.kind != UserDirValue::Unset || a.length == 0);
        const bool same = a.kind == b.kind && a.tooLong == b.tooLong && a.length == b.length &&
                          std::memcmp(a.text, b.text, sizeof a.text) == 0;
        if (!wellFormed || !same) {
            std::abort();
        }
    }
    return 0;
}
