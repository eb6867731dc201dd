// Window subclassing: a window's procedure taken over through an object
// thunk, each message offered to one handler before the former procedure.
#pragma once

#include "Dispatcher.h"

#include <windows.h>

namespace Orvik {

// Makes Proc the window procedure of Wnd (SetWindowLong with GWL_WNDPROC) and
// returns the procedure it had.
ORVIK_API WNDPROC SetWindowProc(HWND Wnd, WNDPROC Proc);

namespace detail {
struct THook;
}

// Takes over one window's procedure: every message goes first to
// OnWindowMessage and then, unless that set Handled, to the procedure the
// window had before.
//
// Several subclasses may hook one window; they form a chain, the last hooked
// seeing each message first. Any of them may be removed in any order: one
// removed from the middle of the chain is taken out of it, and one with a
// foreign procedure above it keeps passing messages on until that window is
// destroyed, so no window is ever left calling a released procedure.
class ORVIK_API TWindowSubclass : public TObject {
  VCL_CLASS(TWindowSubclass)
 public:
  TWindowSubclass();
  ~TWindowSubclass() override;

  // The procedure the window had when it was last hooked (kept after
  // unhooking).
  WNDPROC OldProc() const { return FOldProc; }
  // The hooked window; null when nothing is hooked.
  HWND Handle() const { return FHandle; }
  // The control whose window is hooked through SetWinControl, else null.
  TWinControl* WinControl() const { return FWinControl; }
  // The procedure that this subclass puts in place of the window's.
  WNDPROC HookProc() const;

  // Unhooks, then hooks Wnd (when not null). Raises EOSError when Windows
  // refuses to change the window's procedure.
  void SetHandle(HWND Wnd);
  // Unhooks, then hooks the window of Control (created first if it has
  // none; the control's exception goes on, leaving nothing hooked).
  void SetWinControl(TWinControl* Control);
  // Gives the window its procedure back; nothing when nothing is hooked.
  void UnSubclass();

  // The hook procedure's body: the handler, then the former procedure.
  void WindowProc(TMessage& Message);
  // Passes Message to the former procedure now, unless Handled; sets
  // Handled. A handler calls it to let the window work first.
  void CallOldProc(TMessage& Message, bool& Handled);

  // Offered every message first; Sender is this subclass.
  TMessageEventHandler OnWindowMessage;

 private:
  struct TCall {
    TCall* Outer;
    bool SubclassGone;
  };
  friend struct detail::THook;
  void Hook(HWND Wnd);

  WNDPROC FOldProc = nullptr;
  detail::THook* FHook = nullptr;
  HWND FHandle = nullptr;
  TWinControl* FWinControl = nullptr;
  TCall* FCalls = nullptr;
};

}  // namespace Orvik
