#include "TestWindows.h"

HWND MakePlainWindow() {
  static const wchar_t* const className = L"PelmoraPlainTestWindow";
  static const ATOM atom = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = className;
    return RegisterClassW(&wc);
  }();
  (void)atom;
  return CreateWindowExW(0, className, L"plain", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}
