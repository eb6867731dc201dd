// Window subclassing: a window's procedure taken over through an object thunk.
#include "WindowSubclass.h"

#include <algorithm>
#include <memory>

#include "Boundary.h"
#include "Controls.h"
#include "ObjectInstance.h"

namespace Orvik {

namespace detail {

// One hooking of one window: the thunk that Windows calls, the window and
// the procedure it had. A subclass normally keeps one for its whole life; a
// hook that a foreign procedure above it may still call stays behind as a
// plain pass-through until its window is destroyed.
struct THook {
  WNDPROC Proc = nullptr;
  HWND Wnd = nullptr;
  WNDPROC OldProc = nullptr;
  bool DirectOld = false;            // OldProc is code, not a handle of Windows
  TWindowSubclass* Owner = nullptr;  // null once the subclass let go of it
  int Busy = 0;                      // calls of this hook now running
  bool Hooked = false;               // part of Wnd's chain
  bool Released = false;             // to be freed when no call runs

  void Call(TMessage& M);
  bool Unchain();
};

namespace {

// Whether a procedure got from SetWindowLongA is code that can be called as
// it is. Windows hands out a handle instead when the procedure needs its
// messages converted (a Unicode one), and only CallWindowProcA can call that.
bool IsCode(WNDPROC Proc) {
  MEMORY_BASIC_INFORMATION info;
  if (!Proc || !VirtualQuery(reinterpret_cast<const void*>(Proc), &info, sizeof info)) return false;
  const DWORD executable = PAGE_EXECUTE | PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
  return info.State == MEM_COMMIT && (info.Protect & executable) != 0;
}

// Every hook now part of a window's chain.
std::vector<THook*>& Chains() {
  static std::vector<THook*> hooks;
  return hooks;
}

void Free(THook* H) {
  Vcl::FreeObjectInstance(H->Proc);
  delete H;
}

// Keeps a hook, and so the procedure it passes on to, alive for one call.
struct TBusy {
  THook* H;
  explicit TBusy(THook* Hook) : H(Hook) { ++H->Busy; }
  ~TBusy() {
    if (--H->Busy == 0 && H->Released) Free(H);
  }
  TBusy(const TBusy&) = delete;
  TBusy& operator=(const TBusy&) = delete;
};

THook* NewHook(TWindowSubclass* Owner) {
  auto hook = std::make_unique<THook>();
  hook->Owner = Owner;
  hook->Proc = Vcl::MakeObjectInstance(Vcl::TWndMethod::Bind<&THook::Call>(hook.get()));
  return hook.release();
}

// Frees an unchained hook now, or after the calls that still use it.
void Release(THook* H) {
  H->Owner = nullptr;
  if (H->Busy)
    H->Released = true;
  else
    Free(H);
}

THook* Above(THook* H) {
  for (THook* other : Chains())
    if (other->Wnd == H->Wnd && other->OldProc == H->Proc) return other;
  return nullptr;
}

void Forget(THook* H) {
  auto& hooks = Chains();
  hooks.erase(std::remove(hooks.begin(), hooks.end(), H), hooks.end());
  H->Hooked = false;
}

}  // namespace

// Passes M to the former procedure Old of Wnd. An ANSI procedure is called
// directly, as CallWindowProcA would call it, which spares every message
// the trip through the system's own dispatching; a handle goes through
// CallWindowProcA. What our code raises below comes back up here.
LRESULT CallFormer(WNDPROC Old, bool Direct, HWND Wnd, const TMessage& M) {
  const auto wParam = static_cast<WPARAM>(M.WParam);
  const auto lParam = static_cast<LPARAM>(M.LParam);
  if (Direct) return Vcl::CallCapturing([&] { return Old(Wnd, M.Msg, wParam, lParam); });
  return Vcl::CallCapturing([&] { return CallWindowProcA(Old, Wnd, M.Msg, wParam, lParam); });
}

// Takes H out of its window's chain: the window gets the former procedure
// back when H is its procedure; a hook of ours above H passes on to H's
// former procedure from now on. False when a foreign procedure sits above H
// and may still call it: H then stays in the chain.
bool THook::Unchain() {
  THook* H = this;
  HWND wnd = H->Wnd;
  if (IsWindow(wnd)) {
    auto current = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(wnd, GWLP_WNDPROC));
    if (current == H->Proc) {
      SetWindowProc(wnd, H->OldProc);
    } else if (THook* above = Above(H)) {
      above->OldProc = H->OldProc;
      above->DirectOld = H->DirectOld;
      if (above->Owner && above->Owner->FHook == above) above->Owner->FOldProc = H->OldProc;
    } else {
      return false;
    }
  }
  Forget(H);
  return true;
}

void THook::Call(TMessage& M) {
  if (Owner) {
    Owner->WindowProc(M);  // keeps this hook busy itself
    return;
  }
  TBusy busy(this);
  // Left behind by its subclass: pass everything on, and leave the chain
  // as soon as that is possible.
  HWND wnd = Wnd;
  WNDPROC old = OldProc;
  if (!wnd || !old) return;
  const bool direct = DirectOld;
  if (Hooked) {
    if (M.Msg == WM_NCDESTROY) {
      Forget(this);  // the window's last message
      Released = true;
    } else if (reinterpret_cast<WNDPROC>(GetWindowLongPtrA(wnd, GWLP_WNDPROC)) == Proc || Above(this)) {
      if (Unchain()) Released = true;
    }
  }
  M.Result = CallFormer(old, direct, wnd, M);
}

}  // namespace detail

// ---------------------------------------------------------------------------

WNDPROC SetWindowProc(HWND Wnd, WNDPROC Proc) {
  // On the 32-bit program this is SetWindowLongA(Wnd, GWL_WNDPROC, Proc).
  return reinterpret_cast<WNDPROC>(SetWindowLongPtrA(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Proc)));
}

VCL_PUBLISH(TWindowSubclass, TObject, Object) {}

TWindowSubclass::TWindowSubclass() : FHook(detail::NewHook(this)) {}

TWindowSubclass::~TWindowSubclass() {
  for (TCall* c = FCalls; c; c = c->Outer) c->SubclassGone = true;
  UnSubclass();
  if (FHook) detail::Release(FHook);
}

WNDPROC TWindowSubclass::HookProc() const { return FHook ? FHook->Proc : nullptr; }

void TWindowSubclass::SetHandle(HWND Wnd) {
  UnSubclass();
  if (Wnd) Hook(Wnd);
}

void TWindowSubclass::SetWinControl(TWinControl* Control) {
  UnSubclass();
  if (!Control) return;
  HWND wnd = Control->Handle();  // made first when the control has none
  Hook(wnd);
  FWinControl = Control;
}

void TWindowSubclass::Hook(HWND Wnd) {
  // A hook that a running call still uses keeps its window's procedure for
  // that call: this hooking gets a fresh one.
  if (FHook && FHook->Busy) {
    detail::Release(FHook);
    FHook = nullptr;
  }
  if (!FHook) FHook = detail::NewHook(this);
  auto& hooks = detail::Chains();
  hooks.reserve(hooks.size() + 1);
  WNDPROC old = SetWindowProc(Wnd, FHook->Proc);
  // No window has a null procedure: Windows refused (no such window, or
  // one of another process).
  if (!old) throw Vcl::EOSError("ウィンドウプロシージャを変更できません.");
  FOldProc = old;
  FHook->OldProc = old;
  FHook->DirectOld = detail::IsCode(old);
  FHook->Wnd = Wnd;
  FHook->Hooked = true;
  hooks.push_back(FHook);
  FHandle = Wnd;
}

void TWindowSubclass::UnSubclass() {
  if (!FHandle) return;
  FHandle = nullptr;
  FWinControl = nullptr;
  if (FHook && FHook->Hooked && !FHook->Unchain()) {
    // A foreign procedure above still calls this hook: it stays behind,
    // passing messages on, and the next hooking gets a new one.
    FHook->Owner = nullptr;
    FHook = nullptr;
  }
}

void TWindowSubclass::WindowProc(TMessage& Message) {
  detail::THook* hook = FHook;
  const HWND wnd = FHandle;
  struct TScope {
    TWindowSubclass* Self;
    detail::THook* Hook;
    TCall Call;
    TScope(TWindowSubclass* S, detail::THook* H) : Self(S), Hook(H), Call{S->FCalls, false} {
      if (Hook) ++Hook->Busy;
      Self->FCalls = &Call;
    }
    ~TScope() {
      if (!Call.SubclassGone) Self->FCalls = Call.Outer;
      if (Hook && --Hook->Busy == 0 && Hook->Released) detail::Free(Hook);
    }
  } scope(this, hook);

  bool handled = false;
  if (OnWindowMessage.Assigned()) OnWindowMessage(this, Message, handled);
  const bool gone = scope.Call.SubclassGone;
  // The window goes away: leave it before its own procedure sees the message.
  if (!gone && wnd && FHandle == wnd && Message.Msg == WM_DESTROY) UnSubclass();
  if (handled || !wnd) return;
  // The former procedure of this call's window, whatever the handler did to
  // this subclass meanwhile.
  if (hook)
    Message.Result = detail::CallFormer(hook->OldProc, hook->DirectOld, wnd, Message);
  else
    Message.Result = detail::CallFormer(FOldProc, false, wnd, Message);
  // Still hooked at the window's last message (its WM_DESTROY did not come
  // through here): let go of it.
  if (!gone && Message.Msg == WM_NCDESTROY && FHandle == wnd) UnSubclass();
}

void TWindowSubclass::CallOldProc(TMessage& Message, bool& Handled) {
  if (Handled) return;
  if (FHandle) Message.Result = detail::CallFormer(FOldProc, FHook->DirectOld, FHandle, Message);
  Handled = true;
}

}  // namespace Orvik
