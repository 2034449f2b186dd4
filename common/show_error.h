// The single channel through which the program tells its user that something failed.
#pragma once

// Shows text to the user once and returns after they have had it; each platform defines it.
void ShowError(const char* text);
