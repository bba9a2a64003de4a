// The user-dirs.dirs parser over arbitrary bytes: it must stay inside its
// buffer and give only well-formed values (of their kind, one line each),
// and a line it does not take must change nothing.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "user_dirs.h"

namespace {

bool wellFormed(const UserDirValue& value, const char* text, std::size_t size)
{
    return value.text != nullptr && (value.kind == UserDirValue::Unset || (value.text >= text && value.text < text + size)) &&
           std::strchr(value.text, '\n') == nullptr &&
           (value.kind != UserDirValue::Absolute || value.text[0] == '/') &&
           (value.kind != UserDirValue::Unset || value.text[0] == '\0') &&
           (value.kind != UserDirValue::HomeRelative || value.text[0] == '\0' || value.text[0] == '/');
}

bool same(const UserDirValue& a, const UserDirValue& b)
{
    return a.kind == b.kind && std::strcmp(a.text, b.text) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The parser writes in its buffer, with room for one byte more.
    static char text[userDirsReadLimit + 1];
    static char shifted[userDirsReadLimit + 3];
    size = size < userDirsReadLimit ? size : userDirsReadLimit;
    std::memcpy(text, data, size);
    UserDirs whole;
    whole.parse(text, size);
    // A comment line put in front must not change a single value.
    shifted[0] = '#';
    shifted[1] = '\n';
    std::memcpy(shifted + 2, data, size);
    UserDirs withComment;
    withComment.parse(shifted, size + 2);
    for (int i = 0; i < userDirCount; ++i) {
        const auto dir = static_cast<UserDir>(i);
        if (!wellFormed(whole.value(dir), text, size) || !same(whole.value(dir), withComment.value(dir))) {
            std::abort();
        }
    }
    return 0;
}
