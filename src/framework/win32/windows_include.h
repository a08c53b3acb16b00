#pragma once

// <windows.h> (with the common controls, the common dialogs and the shell) for the framework's win32 files and the program's main file, without the
// macros that would rename the framework's own methods (LoadString, LoadImage,
// ChooseColor, MessageBox) in the files that include it.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#undef LoadString
#undef LoadImage
#undef ChooseColor
#undef MessageBox
