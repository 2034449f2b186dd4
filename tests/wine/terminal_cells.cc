// Test program for the README's picture: draws one line of mixed Latin and CJK text the way a
// terminal does, each character at the start of a cell of tmAveCharWidth (two cells for a
// full-width character), with the cells outlined and a label above saying which font it is and
// how wide GDI makes a cell. The window sits at the screen's top left; any key closes it.
//   terminal_cells.exe FONT_FILE FAMILY LABEL
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

constexpr int kWidth = 760;
constexpr int kHeight = 80;
constexpr int kFontPixels = 28;
constexpr wchar_t kLine[] = L"Quenlo \u6587\u5B57 cells \u65E5\u672C\u8A9E";

std::wstring family;
std::wstring label;

bool IsFullWidth(wchar_t c) { return c >= 0x2E80; }

void Paint(HWND window) {
  PAINTSTRUCT paint;
  const HDC dc = BeginPaint(window, &paint);
  RECT all = {0, 0, kWidth, kHeight};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  SetBkMode(dc, TRANSPARENT);

  const HFONT font = CreateFontW(-kFontPixels, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                 DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                 ANTIALIASED_QUALITY, DEFAULT_PITCH, family.c_str());
  const HGDIOBJ previous = SelectObject(dc, font);
  TEXTMETRICW metrics;
  GetTextMetricsW(dc, &metrics);
  const int cell = metrics.tmAveCharWidth;

  SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  wchar_t caption[256];
  std::swprintf(caption, 256, L"%ls: tmAveCharWidth %d px at %d px", label.c_str(), cell,
                kFontPixels);
  TextOutW(dc, 8, 6, caption, static_cast<int>(wcslen(caption)));

  SelectObject(dc, font);
  const HPEN pen = CreatePen(PS_SOLID, 1, RGB(190, 190, 190));
  SelectObject(dc, pen);
  SelectObject(dc, GetStockObject(NULL_BRUSH));
  int x = 8;
  const int top = 32;
  for (const wchar_t* c = kLine; *c != L'\0'; ++c) {
    const int width = cell * (IsFullWidth(*c) ? 2 : 1);
    Rectangle(dc, x, top, x + width + 1, top + metrics.tmHeight + 1);
    TextOutW(dc, x, top, c, 1);
    x += width;
  }
  SelectObject(dc, previous);
  DeleteObject(font);
  DeleteObject(pen);
  EndPaint(window, &paint);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      Paint(window);
      return 0;
    case WM_KEYDOWN:
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

std::wstring Wide(const char* text) {
  wchar_t buffer[512];
  MultiByteToWideChar(CP_UTF8, 0, text, -1, buffer, 512);
  return buffer;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: terminal_cells <font file> <family> <label>\n");
    return 2;
  }
  if (AddFontResourceExA(argv[1], FR_PRIVATE, nullptr) == 0) return 1;
  family = Wide(argv[2]);
  label = Wide(argv[3]);
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"QuenloCells";
  RegisterClassW(&windowClass);
  CreateWindowW(L"QuenloCells", L"Quenlo cells", WS_POPUP | WS_VISIBLE, 0, 0, kWidth, kHeight,
                nullptr, nullptr, windowClass.hInstance, nullptr);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
