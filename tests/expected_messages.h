// The program's messages, typed out again for the tests rather than taken from the program, so
// that a changed or misspelt message fails them.
#pragma once

inline constexpr char kWidthMessage[] =
    "Incorrect width.\n\nUsage:\nQuenlo [-w <Width>] <Full TTF file name>";
inline constexpr char kNameMessage[] =
    "File name expected as non-optional parameter.\n\nUsage:\nQuenlo [-w <Width>] <Full TTF file "
    "name>";
inline constexpr char kTooLongMessage[] =
    "File name is too long.\n\nUsage:\nQuenlo [-w <Width>] <Full TTF file name>";
inline constexpr char kQuoteMessage[] = "Unsupported quote character in argument.";
inline constexpr char kCantOpen[] = "Cant't open TTF file";
inline constexpr char kEndOfFile[] =
    "Unexpected end of TTF file. Maybe TTF is corrupt or incorrect TTF format.";
inline constexpr char kFormat[] = "Incorrect TTF file format.";
inline constexpr char kNotFound[] = "'OS/2' table not found in TTF file.";
inline constexpr char kBeyondEnd[] = "'OS/2' table lies beyond the end of TTF file.";
inline constexpr char kCantWrite[] = "Can't write to TTF file.";
