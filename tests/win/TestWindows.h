// Plain top-level windows for the tests of this folder.
#pragma once

#include <windows.h>

// A hidden window of a class whose procedure is DefWindowProcW.
HWND MakePlainWindow();

// Makes Proc the window's procedure for the life of the object.
class TProcSwap {
 public:
  TProcSwap(HWND Wnd, WNDPROC Proc)
      : FWnd(Wnd), FOld(reinterpret_cast<WNDPROC>(
                       SetWindowLongPtrW(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Proc)))) {}
  ~TProcSwap() { SetWindowLongPtrW(FWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FOld)); }
  TProcSwap(const TProcSwap&) = delete;
  TProcSwap& operator=(const TProcSwap&) = delete;
  WNDPROC Old() const { return FOld; }

 private:
  HWND FWnd;
  WNDPROC FOld;
};

// Destroys the window at the end of a scope.
class TWindowGuard {
 public:
  explicit TWindowGuard(HWND Wnd) : FWnd(Wnd) {}
  ~TWindowGuard() { if (FWnd) DestroyWindow(FWnd); }
  TWindowGuard(const TWindowGuard&) = delete;
  TWindowGuard& operator=(const TWindowGuard&) = delete;
  HWND Get() const { return FWnd; }

 private:
  HWND FWnd;
};
