// Test double for the error reporter: keeps every message instead of showing it.
#pragma once

#include <string>
#include <vector>

// The messages shown so far, oldest first; tests clear it before each case.
std::vector<std::string>& ShownErrors();
