#pragma once

// On Windows the report asks the shell itself (SHELL32).
#include <windows.h>
#include <shlobj.h>
