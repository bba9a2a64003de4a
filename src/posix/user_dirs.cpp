#include "user_dirs.h"

#include <cstring>

namespace {

const char* const keyNames[userDirCount] = {
    "XDG_DESKTOP_DIR", "XDG_DOCUMENTS_DIR", "XDG_PICTURES_DIR", "XDG_PUBLICSHARE_DIR",
};

const char homeVariable[] = "$HOME";

bool isBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

void UserDirsReader::feed(const char* data, std::size_t size)
{
    for (std::size_t i = 0; i < size; ++i) {
        take(data[i]);
    }
}

void UserDirsReader::take(char c)
{
    // A line ends every assignment, finished or not: a quote left open at
    // the end of a line makes that line malformed.
    if (c == '\n') {
        state_ = State::LineStart;
        return;
    }
    switch (state_) {
    case State::LineStart:
        if (isBlank(c)) {
            return;
        }
        keyLength_ = 0;
        state_ = State::Key;
        [[fallthrough]];
    case State::Key:
        if (isBlank(c) || c == '=') {
            endKey(c);
        } else if (keyLength_ < sizeof key_ - 1) {
            key_[keyLength_++] = c;
        } else {
            state_ = State::SkipLine;
        }
        return;
    case State::BeforeEquals:
        if (c == '=') {
            state_ = State::AfterEquals;
        } else if (!isBlank(c)) {
            state_ = State::SkipLine;
        }
        return;
    case State::AfterEquals:
        if (c == '"') {
            pending_ = UserDirValue{};
            state_ = State::ValueStart;
        } else if (!isBlank(c)) {
            state_ = State::SkipLine;
        }
        return;
    case State::ValueStart:
        // Only "$HOME/..." and "/..." are values; "\$HOME" is not "$HOME".
        if (c == '/') {
            pending_.kind = UserDirValue::Absolute;
            append(c);
            state_ = State::Value;
        } else if (c == '$') {
            homeMatched_ = 1;
            state_ = State::HomePrefix;
        } else {
            state_ = State::SkipLine;
        }
        return;
    case State::HomePrefix:
        if (homeMatched_ < sizeof homeVariable - 1) {
            state_ = c == homeVariable[homeMatched_++] ? State::HomePrefix : State::SkipLine;
            return;
        }
        pending_.kind = UserDirValue::HomeRelative;
        if (c == '/') {
            state_ = State::Value;
        } else if (c == '"') {
            values_[keyIndex_] = pending_;
            state_ = State::SkipLine;
        } else {
            state_ = State::SkipLine;  // "$HOMEWORK" is some other variable
        }
        return;
    case State::Value:
        if (c == '"') {
            values_[keyIndex_] = pending_;
            state_ = State::SkipLine;
        } else if (c == '\\') {
            state_ = State::Escape;
        } else if (c == '\0') {
            state_ = State::SkipLine;  // no path holds a NUL
        } else {
            append(c);
        }
        return;
    case State::Escape:
        if (c == '\0') {
            state_ = State::SkipLine;
        } else {
            append(c);
            state_ = State::Value;
        }
        return;
    case State::SkipLine:
        return;
    }
}

void UserDirsReader::endKey(char c)
{
    keyIndex_ = -1;
    for (int i = 0; i < userDirCount; ++i) {
        if (std::strlen(keyNames[i]) == keyLength_ && std::memcmp(keyNames[i], key_, keyLength_) == 0) {
            keyIndex_ = i;
        }
    }
    if (keyIndex_ < 0) {
        state_ = State::SkipLine;
    } else {
        state_ = c == '=' ? State::AfterEquals : State::BeforeEquals;
    }
}

void UserDirsReader::append(char c)
{
    if (pending_.length < sizeof pending_.text - 1) {
        pending_.text[pending_.length++] = c;
    } else {
        pending_.tooLong = true;
    }
}
