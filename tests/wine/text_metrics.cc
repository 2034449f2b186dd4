// Test program: selects a font's family at 100 pixels and prints what a Windows program sees of
// it: the average and largest character widths that GDI reports, and the advances of "a" and of
// a full-width character (U+65E5). The font comes from a file loaded for this program alone; or,
// for "-", from the fonts the system has; or, for "HKCU", also from the fonts installed for the
// user, which it loads from their registry values as Windows does at sign-in (Wine does not).
// Exits 1 when the family that GDI selects is not the one asked for, which would make the
// figures another font's.
//   text_metrics.exe FONT_FILE|-|HKCU FAMILY
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

// Loads each font file that a value under HKCU's Fonts key names.
void LoadUserFonts() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", 0,
                    KEY_READ, &key) != ERROR_SUCCESS) {
    return;
  }
  for (DWORD i = 0;; ++i) {
    wchar_t name[1024];
    wchar_t file[MAX_PATH * 2];
    DWORD nameLength = 1024;
    DWORD size = sizeof file - sizeof(wchar_t);
    DWORD type = 0;
    const LONG result = RegEnumValueW(key, i, name, &nameLength, nullptr, &type,
                                      reinterpret_cast<BYTE*>(file), &size);
    if (result == ERROR_NO_MORE_ITEMS) break;
    if (result != ERROR_SUCCESS || type != REG_SZ) continue;
    file[size / sizeof(wchar_t)] = L'\0';
    AddFontResourceW(file);
  }
  RegCloseKey(key);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: text_metrics <font file>|-|HKCU <family>\n");
    return 2;
  }
  if (std::strcmp(argv[1], "HKCU") == 0) {
    LoadUserFonts();
  } else if (std::strcmp(argv[1], "-") != 0 &&
             AddFontResourceExA(argv[1], FR_PRIVATE, nullptr) == 0) {
    std::fprintf(stderr, "cannot load %s\n", argv[1]);
    return 1;
  }
  const HDC dc = CreateCompatibleDC(nullptr);
  const HFONT font =
      CreateFontA(-100, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                  OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, argv[2]);
  SelectObject(dc, font);
  char face[LF_FACESIZE] = "";
  GetTextFaceA(dc, LF_FACESIZE, face);
  if (std::strcmp(face, argv[2]) != 0) {
    std::fprintf(stderr, "GDI selected \"%s\", not \"%s\"\n", face, argv[2]);
    return 1;
  }
  TEXTMETRICA metrics;
  SIZE latin;
  SIZE full;
  GetTextMetricsA(dc, &metrics);
  GetTextExtentPoint32W(dc, L"a", 1, &latin);
  GetTextExtentPoint32W(dc, L"\u65E5", 1, &full);
  std::printf("tmAveCharWidth %ld\ntmMaxCharWidth %ld\na %ld\nfull %ld\n", metrics.tmAveCharWidth,
              metrics.tmMaxCharWidth, latin.cx, full.cx);
  return 0;
}
