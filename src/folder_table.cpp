#include "folder_table.h"

// The codes are the shell's CSIDL numbers written out, so the report asks for
// exactly these folders whatever a platform header defines (some headers give
// MYDOCUMENTS the value of PERSONAL; here it is a row and a code of its own).
const FolderEntry folderTable[15] = {
    {0x25, "SYSTEM"},
    {0x24, "WINDOWS"},
    {0x10, "DESKTOPDIRECTORY"},
    {0x0B, "STARTMENU"},
    {0x02, "PROGRAMS"},
    {0x26, "PROGRAM_FILES"},
    {0x2B, "PROGRAM_FILES_COMMON"},
    {0x05, "PERSONAL"},
    {0x0C, "MYDOCUMENTS"},
    {0x27, "MYPICTURES"},
    {0x1A, "APPDATA"},
    {0x23, "COMMON_APPDATA"},
    {0x2E, "COMMON_DOCUMENTS"},
    {0x1C, "LOCAL_APPDATA"},
    {-1, nullptr},
};
