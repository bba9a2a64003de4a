#pragma once

#include <cstddef>

#include "shell_api.h"

// The user directories of user-dirs.dirs that the stand-in shell maps.
enum class UserDir { Desktop, Documents, Pictures, PublicShare };
constexpr int userDirCount = 4;

// One assignment as written in the file.  A home-relative value keeps the
// part after "$HOME/" (empty for "$HOME" or "$HOME/": the home itself).
struct UserDirValue {
    enum Kind : unsigned char { Unset, HomeRelative, Absolute };
    Kind kind = Unset;
    bool tooLong = false;  // more text than any path can hold
    std::size_t length = 0;
    char text[MAX_PATH] = {};
};

// Reads user-dirs.dirs in the form xdg-user-dirs writes, in pieces of any
// size, without allocating.  Each line of the form
//     XDG_NAME_DIR="$HOME/relative"   or   XDG_NAME_DIR="/absolute"
// (blanks allowed before the key and around '=', a backslash taking the next
// character literally, anything after the closing quote ignored) assigns
// NAME; the last such line wins.  Any other line, comments included, is
// skipped.  The file is only read, never run as the shell script it also is.
class UserDirsReader {
public:
    void feed(const char* data, std::size_t size);
    // The value of `dir`, or Unset if no line assigned it.
    const UserDirValue& value(UserDir dir) const { return values_[static_cast<int>(dir)]; }

private:
    enum class State : unsigned char {
        LineStart, Key, BeforeEquals, AfterEquals, ValueStart, HomePrefix, Value, Escape, SkipLine
    };

    void take(char c);
    void endKey(char c);
    void append(char c);

    State state_ = State::LineStart;
    char key_[24] = {};
    std::size_t keyLength_ = 0;
    int keyIndex_ = -1;
    std::size_t homeMatched_ = 0;
    UserDirValue pending_;
    UserDirValue values_[userDirCount];
};
