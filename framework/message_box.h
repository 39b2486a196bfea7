// AfxMessageBox: a message box owned by the main window (when there is one)
// and titled with the application's name.
#pragma once

#include <windows.h>

int AfxMessageBox(const char* text, UINT type = MB_OK);
