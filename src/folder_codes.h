#pragma once

#include <cstdint>

// The shell's folder codes (its CSIDL numbers) for the folders the report
// covers, written out here once.  They are the numbers the report passes to
// the shell, whatever a platform header defines: some headers give
// MYDOCUMENTS the value of PERSONAL, while here it is a code of its own.
namespace csidl {
constexpr std::int32_t programs = 0x02;
constexpr std::int32_t personal = 0x05;
constexpr std::int32_t startMenu = 0x0B;
constexpr std::int32_t myDocuments = 0x0C;
constexpr std::int32_t desktopDirectory = 0x10;
constexpr std::int32_t appData = 0x1A;
constexpr std::int32_t localAppData = 0x1C;
constexpr std::int32_t commonAppData = 0x23;
constexpr std::int32_t windows = 0x24;
constexpr std::int32_t system = 0x25;
constexpr std::int32_t programFiles = 0x26;
constexpr std::int32_t myPictures = 0x27;
constexpr std::int32_t programFilesCommon = 0x2B;
constexpr std::int32_t commonDocuments = 0x2E;
}  // namespace csidl
