#include "user_dirs.h"

#include <cstring>

namespace {

const char* const keyNames[userDirCount] = {
    "XDG_DESKTOP_DIR", "XDG_DOCUMENTS_DIR", "XDG_PICTURES_DIR", "XDG_PUBLICSHARE_DIR",
};

const char blanks[] = " \t";
const char homeVariable[] = "$HOME";
constexpr std::size_t homeVariableLength = sizeof homeVariable - 1;

// The index of the key of `length` bytes at `key`, or -1 for any other key.
int keyIndex(const char* key, std::size_t length)
{
    for (int i = 0; i < userDirCount; ++i) {
        if (std::strlen(keyNames[i]) == length && std::memcmp(keyNames[i], key, length) == 0) {
            return i;
        }
    }
    return -1;
}

// The value from `at` to its closing quote, unescaped in place (a backslash
// takes the next character as it is) and ended by a NUL; null when the line
// ends first.
char* unescape(char* at)
{
    for (char *value = at, *out = at; *at != '\0'; ++out) {
        const char c = *at++;
        if (c == '"') {
            *out = '\0';
            return value;
        }
        *out = c == '\\' && *at != '\0' ? *at++ : c;
    }
    return nullptr;
}

// One line, ended by a NUL: an assignment, or nothing.  A NUL of the file's
// own ends the line there, which leaves the value of the line, if any,
// without its closing quote: no path holds a NUL.
void parseLine(char* at, UserDirValue (&values)[userDirCount])
{
    at += std::strspn(at, blanks);
    const std::size_t keyLength = std::strcspn(at, " \t=");
    const int index = keyIndex(at, keyLength);
    at += keyLength;
    at += std::strspn(at, blanks);
    if (index < 0 || *at++ != '=') {
        return;
    }
    at += std::strspn(at, blanks);
    if (*at++ != '"') {
        return;
    }
    // Only "/...", "$HOME" and "$HOME/..." are values, as written before
    // unescaping: "\$HOME" is not "$HOME", and "$HOMEWORK" is some other
    // variable.
    auto kind = UserDirValue::Absolute;
    if (std::strncmp(at, homeVariable, homeVariableLength) == 0 &&
        (at[homeVariableLength] == '/' || at[homeVariableLength] == '"')) {
        kind = UserDirValue::HomeRelative;
        at += homeVariableLength;
    } else if (*at != '/') {
        return;
    }
    if (const char* value = unescape(at)) {
        values[index] = {kind, value};
    }
}

}  // namespace

void UserDirs::parse(char* text, std::size_t size)
{
    char* const end = text + size;
    for (char* line = text; line < end;) {
        char* lineEnd = static_cast<char*>(std::memchr(line, '\n', static_cast<std::size_t>(end - line)));
        lineEnd = lineEnd != nullptr ? lineEnd : end;
        *lineEnd = '\0';
        parseLine(line, values);
        line = lineEnd + 1;
    }
}
