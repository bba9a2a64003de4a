// The user-dirs.dirs parser over arbitrary bytes: it must stay inside its
// buffers and give only well-formed values (folded, bounded, of their
// kind), and a line it does not take must change nothing.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "user_dirs.h"

namespace {

bool wellFormed(const UserDirValue& value)
{
    return value.length < MAX_PATH && std::strlen(value.text) == value.length &&
           std::memchr(value.text, '\n', value.length) == nullptr &&
           (!value.tooLong || value.length == MAX_PATH - 1) &&
           (value.kind != UserDirValue::Absolute || value.text[0] == '/') &&
           (value.kind != UserDirValue::Unset || value.length == 0) &&
           // runs of '/' are folded, and none follows "$HOME"
           std::strstr(value.text, "//") == nullptr &&
           (value.kind != UserDirValue::HomeRelative || value.text[0] != '/');
}

bool same(const UserDirValue& a, const UserDirValue& b)
{
    return a.kind == b.kind && a.tooLong == b.tooLong && a.length == b.length &&
           std::memcmp(a.text, b.text, sizeof a.text) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const char* text = reinterpret_cast<const char*>(data);
    UserDirs whole;
    whole.parse(text, size);
    // A comment line put in front must not change a single value.
    static char shifted[userDirsReadLimit + 2];
    const std::size_t shiftedSize = size < userDirsReadLimit ? size : userDirsReadLimit;
    shifted[0] = '#';
    shifted[1] = '\n';
    std::memcpy(shifted + 2, text, shiftedSize);
    UserDirs withComment;
    withComment.parse(shifted, shiftedSize + 2);
    UserDirs prefix;
    prefix.parse(text, shiftedSize);
    for (int i = 0; i < userDirCount; ++i) {
        const auto dir = static_cast<UserDir>(i);
        if (!wellFormed(whole.value(dir)) || !same(prefix.value(dir), withComment.value(dir))) {
            std::abort();
        }
    }
    return 0;
}
