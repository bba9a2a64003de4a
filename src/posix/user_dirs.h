#pragma once

#include <cstddef>

// The user directories of user-dirs.dirs that the stand-in shell maps.
enum class UserDir { Desktop, Documents, Pictures, PublicShare };
constexpr int userDirCount = 4;

// How much of user-dirs.dirs is read: real files hold well under 1 KiB, and
// whatever lies past this bound is ignored.
constexpr std::size_t userDirsReadLimit = 64 * 1024;

// One assignment of the file, unescaped and otherwise as written.  A
// home-relative value is the part after "$HOME" ("" for "$HOME", "/..." for
// "$HOME/..."); an absolute one starts with '/'.
struct UserDirValue {
    enum Kind : unsigned char { Unset, HomeRelative, Absolute };
    Kind kind = Unset;
    const char* text = "";
};

// The values of user-dirs.dirs, given the file's text: each line of the form
//     XDG_NAME_DIR="$HOME/relative"   or   XDG_NAME_DIR="/absolute"
// assigns NAME, the last one winning; any other line is skipped (the
// manual page's FILES section).  The file is read, never run as a script.
// `text` holds `size` bytes and room for one more; each line's end is made
// a NUL and values are unescaped in place, pointing into `text`.
struct UserDirs {
    UserDirValue values[userDirCount];

    void parse(char* text, std::size_t size);
    const UserDirValue& value(UserDir dir) const { return values[static_cast<int>(dir)]; }
};
