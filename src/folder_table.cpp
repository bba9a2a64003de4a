#include "folder_table.h"

#include "folder_codes.h"

const FolderEntry folderTable[] = {
    {csidl::system, "SYSTEM"},
    {csidl::windows, "WINDOWS"},
    {csidl::desktopDirectory, "DESKTOPDIRECTORY"},
    {csidl::startMenu, "STARTMENU"},
    {csidl::programs, "PROGRAMS"},
    {csidl::programFiles, "PROGRAM_FILES"},
    {csidl::programFilesCommon, "PROGRAM_FILES_COMMON"},
    {csidl::personal, "PERSONAL"},
    {csidl::myDocuments, "MYDOCUMENTS"},
    {csidl::myPictures, "MYPICTURES"},
    {csidl::appData, "APPDATA"},
    {csidl::commonAppData, "COMMON_APPDATA"},
    {csidl::commonDocuments, "COMMON_DOCUMENTS"},
    {csidl::localAppData, "LOCAL_APPDATA"},
    {endOfTable, nullptr},
};
