// Test program: loads a font file for itself alone, selects its family at 100 pixels and prints
// what a Windows program sees of it: the average and largest character widths that GDI reports,
// and the advances of "a" and of a full-width character (U+65E5). Exits 1 when the family that
// GDI selects is not the one asked for, which would make the figures another font's.
//   text_metrics.exe FONT_FILE FAMILY
#include <windows.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: text_metrics <font file> <family>\n");
    return 2;
  }
  if (AddFontResourceExA(argv[1], FR_PRIVATE, nullptr) == 0) {
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
