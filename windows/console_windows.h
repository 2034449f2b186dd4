// The console window that quenlo-check.exe may have to itself.
#pragma once

// True when the program's console has no other process on it: Windows made it for this program,
// as it does when Explorer starts a console program. A console shared with cmd, PowerShell or a
// script, or none at all (output to a pipe or a file), is not its own.
bool OwnConsole();
