// What the two files of the Windows file layer share.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "common/file.h"

HANDLE Handle(FileHandle file);

// Moves the file's pointer to position, counted from its start.
bool MoveTo(FileHandle file, std::uint64_t position);

// Keeps an opened handle when it is a file on disk, storing it and the file's length; closes it
// and returns false otherwise, and for INVALID_HANDLE_VALUE.
bool KeepDiskFile(HANDLE handle, FileHandle* file, std::uint64_t* size);

// The path, given in UTF-8, for the wide calls, which reach every name whatever the ANSI code
// page; empty when it is not UTF-8 and so names no file. Only quenlo-check's file access uses it.
std::wstring WidePath(const std::string& path);

// Wide text, as the wide calls give names and messages, in UTF-8; a lone surrogate, which no
// UTF-8 can hold, becomes U+FFFD. Only quenlo-check uses it.
std::string Utf8FromWide(const std::wstring& text);
