#include "user_dirs.h"

#include <cstring>

namespace {

const char* const keyNames[userDirCount] = {
    "XDG_DESKTOP_DIR", "XDG_DOCUMENTS_DIR", "XDG_PICTURES_DIR", "XDG_PUBLICSHARE_DIR",
};

const char homeVariable[] = "$HOME";
constexpr std::size_t homeVariableLength = sizeof homeVariable - 1;

char* skipBlanks(char* at, const char* end)
{
    while (at < end && (*at == ' ' || *at == '\t')) {
        ++at;
    }
    return at;
}

// The index of the key assigned at `at`, the start of a line, with `at`
// moved past its '='; -1 for any other line.
int readKey(char*& at, const char* end)
{
    at = skipBlanks(at, end);
    const char* key = at;
    while (at < end && *at != ' ' && *at != '\t' && *at != '=') {
        ++at;
    }
    const auto length = static_cast<std::size_t>(at - key);
    at = skipBlanks(at, end);
    if (at == end || *at++ != '=') {
        return -1;
    }
    for (int i = 0; i < userDirCount; ++i) {
        if (std::strlen(keyNames[i]) == length && std::memcmp(keyNames[i], key, length) == 0) {
            return i;
        }
    }
    return -1;
}

// What the quoted value at `at` is, with `at` moved to its first character
// past "$HOME".  Only "/...", "$HOME" and "$HOME/..." are values, as
// written before unescaping: "\$HOME" is not "$HOME", and "$HOMEWORK" is
// some other variable.
UserDirValue::Kind readKind(char*& at, const char* end)
{
    at = skipBlanks(at, end);
    if (at == end || *at++ != '"') {
        return UserDirValue::Unset;
    }
    if (at < end && *at == '/') {
        return UserDirValue::Absolute;
    }
    if (static_cast<std::size_t>(end - at) > homeVariableLength &&
        std::memcmp(at, homeVariable, homeVariableLength) == 0 &&
        (at[homeVariableLength] == '/' || at[homeVariableLength] == '"')) {
        at += homeVariableLength;
        return UserDirValue::HomeRelative;
    }
    return UserDirValue::Unset;
}

// The value from `at` to its closing quote, unescaped in place (a backslash
// takes the next character as it is) and ended by a NUL; null when the quote
// is never closed or the value holds a NUL, which no path holds.
char* unescape(char* at, const char* end)
{
    char* const value = at;
    for (char* out = at; at < end; ++out) {
        char c = *at++;
        if (c == '"') {
            *out = '\0';
            return value;
        }
        if (c == '\\') {
            if (at == end) {
                return nullptr;
            }
            c = *at++;
        }
        if (c == '\0') {
            return nullptr;
        }
        *out = c;
    }
    return nullptr;
}

}  // namespace

void UserDirs::parse(char* text, std::size_t size)
{
    char* const end = text + size;
    for (char* line = text; line < end;) {
        auto* lineEnd = static_cast<char*>(std::memchr(line, '\n', static_cast<std::size_t>(end - line)));
        if (lineEnd == nullptr) {
            lineEnd = end;
        }
        char* at = line;
        const int index = readKey(at, lineEnd);
        const UserDirValue::Kind kind = index < 0 ? UserDirValue::Unset : readKind(at, lineEnd);
        const char* value = kind == UserDirValue::Unset ? nullptr : unescape(at, lineEnd);
        if (value != nullptr) {
            values[index] = {kind, value};
        }
        line = lineEnd + 1;
    }
}
