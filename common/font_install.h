// Installing fonts for the current user alone, without administrator rights, as each platform
// does it; each platform defines these functions once.
#pragma once

#include <string>
#include <vector>

// The folder of the fonts installed for this user alone, made when it is missing: on Windows
// %LOCALAPPDATA%\Microsoft\Windows\Fonts, elsewhere ${XDG_DATA_HOME:-~/.local/share}/fonts, where
// a relative XDG_DATA_HOME or HOME counts as unset. On failure returns "" and stores in why, for
// the user, what kept it from being found or made.
std::string UserFontFolder(std::string* why);

// The path of the file with every link followed, or made absolute where it cannot be: what a
// font's copy is known by, however the font was named.
std::string FullPath(const std::string& path);

// Whether the installed font file at path is the user's own, to change in place: on Windows any
// but those in the Windows fonts folder, elsewhere those in the user's font folders (the XDG one
// and ~/.fonts), where the system's packages put none. Links are followed first.
bool IsUserFontFile(const std::string& path);

// The font files installed for this user and for all users, each once, in a stable order.
std::vector<std::string> InstalledFontFiles();

// The files in folder, by their paths.
std::vector<std::string> FilesInFolder(const std::string& folder);

// Tells the system of a font file put in the user's font folder, under the name programs list
// it by (Windows: a value of HKCU\Software\Microsoft\Windows NT\CurrentVersion\Fonts, under
// Wine also of HKLM's, and AddFontResourceW); false, with why, when it could not, and when a
// value of that name already names another file, which is never replaced.
bool RegisterUserFont(const std::string& path, const std::string& name, std::string* why);

// Takes back what RegisterUserFont told the system of path, before the file is removed: only
// the values that name path and whose names hold mark.
void UnregisterUserFont(const std::string& path, const std::string& mark);

// What the user does before programs show the fonts just installed by their names, in one
// sentence: restart them, or under Wine restart Wine, whose programs show a font that another
// process added under a blank name until then.
std::string NewFontsStep();

// Lets running programs and the system's font caches know that the user's fonts changed
// (Windows: WM_FONTCHANGE, sent with a time limit; Linux: fc-cache on the folder, waited for
// as long).
void UserFontsChanged(const std::string& folder);
