#include "user_dirs.h"

#include <cstring>

namespace {

const char* const keyNames[userDirCount] = {
    "XDG_DESKTOP_DIR", "XDG_DOCUMENTS_DIR", "XDG_PICTURES_DIR", "XDG_PUBLICSHARE_DIR",
};

const char homeVariable[] = "$HOME";
constexpr std::size_t homeVariableLength = sizeof homeVariable - 1;

const char* skipBlanks(const char* at, const char* end)
{
    while (at < end && (*at == ' ' || *at == '\t')) {
        ++at;
    }
    return at;
}

// The index of the key at [begin, end), or -1 for any other key.
int keyIndex(const char* begin, const char* end)
{
    const auto length = static_cast<std::size_t>(end - begin);
    for (int i = 0; i < userDirCount; ++i) {
        if (std::strlen(keyNames[i]) == length && std::memcmp(keyNames[i], begin, length) == 0) {
            return i;
        }
    }
    return -1;
}

// One line, without its line feed: an assignment, or nothing.
void parseLine(const char* at, const char* end, UserDirValue (&values)[userDirCount])
{
    at = skipBlanks(at, end);
    const char* key = at;
    while (at < end && *at != ' ' && *at != '\t' && *at != '=') {
        ++at;
    }
    const int index = keyIndex(key, at);
    at = skipBlanks(at, end);
    if (index < 0 || at == end || *at++ != '=') {
        return;
    }
    at = skipBlanks(at, end);
    if (at == end || *at++ != '"') {
        return;
    }
    // Only "/..." and "$HOME/..." are values: "\$HOME" is not "$HOME", and
    // "$HOMEWORK" is some other variable.
    UserDirValue value;
    if (at < end && *at == '/') {
        value.kind = UserDirValue::Absolute;
    } else if (static_cast<std::size_t>(end - at) > homeVariableLength &&
               std::memcmp(at, homeVariable, homeVariableLength) == 0 &&
               (at[homeVariableLength] == '/' || at[homeVariableLength] == '"')) {
        value.kind = UserDirValue::HomeRelative;
        at += homeVariableLength;
    } else {
        return;
    }
    while (at < end) {
        char c = *at++;
        if (c == '"') {
            values[index] = value;
            return;
        }
        if (c == '\\') {
            if (at == end) {
                return;
            }
            c = *at++;
        }
        if (c == '\0') {
            return;  // no path holds a NUL
        }
        // Kept folded, so that only the path's own length counts: no run of
        // '/', and none after "$HOME".
        if (c == '/' && (value.length == 0 ? value.kind == UserDirValue::HomeRelative
                                            : value.text[value.length - 1] == '/')) {
            continue;
        }
        if (value.length < sizeof value.text - 1) {
            value.text[value.length++] = c;
        } else {
            value.tooLong = true;
        }
    }
    // The quote was never closed: the line is malformed.
}

}  // namespace

void UserDirs::parse(const char* text, std::size_t size)
{
    const char* end = text + size;
    for (const char* line = text; line < end;) {
        const char* lineEnd = static_cast<const char*>(std::memchr(line, '\n', static_cast<std::size_t>(end - line)));
        if (lineEnd == nullptr) {
            lineEnd = end;
        }
        parseLine(line, lineEnd, values);
        line = lineEnd + 1;
    }
}
