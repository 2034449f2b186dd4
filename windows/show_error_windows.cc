// Reports errors in a modal message box with no owner window, as the program has no window.
#include <windows.h>

#include "common/show_error.h"

void ShowError(const char* text) { MessageBoxA(nullptr, text, "Error", MB_ICONERROR | MB_OK); }
