// What both Windows builds of quenlo do on start: the command line, converted, to the shared entry.
#pragma once

// Runs quenlo on the process's command line and returns its exit status. Errors go through
// ShowError, which each build defines.
int RunProcessCommandLine();
