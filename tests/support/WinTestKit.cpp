#include "WinTestKit.h"

#include <algorithm>

#include "Boundary.h"
#include "WinText.h"

namespace TestKit {

using Vcl::FromWide;
using Vcl::ToWide;

// ---------------------------------------------------------------------------
// Messages and windows

namespace {

// Dispatches what is queued; false when WM_QUIT came (it is put back).
bool DispatchQueued() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return false;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return true;
}

AnsiString WithoutAmpersands(const AnsiString& S) {
  AnsiString out;
  for (std::size_t i = 0; i < S.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(S[i]);
    if (Vcl::IsLeadByte(c) && i + 1 < S.size()) {
      out += S[i];
      out += S[++i];
    } else if (c != '&') {
      out += S[i];
    }
  }
  return out;
}

}  // namespace

bool PumpUntil(const std::function<bool()>& Done, int Ms) {
  const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(Ms > 0 ? Ms : 0);
  for (;;) {
    if (!DispatchQueued()) return Done();
    if (Done()) return true;
    const ULONGLONG now = GetTickCount64();
    if (now >= end) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min<ULONGLONG>(end - now, 50)),
                              QS_ALLINPUT);
  }
}

void PumpMessages(int Ms) {
  PumpUntil([] { return false; }, Ms);
}

AnsiString WindowText(HWND Wnd) { return Vcl::GetWindowTextAnsi(Wnd); }

AnsiString WindowClass(HWND Wnd) {
  wchar_t name[256] = {};
  const int n = GetClassNameW(Wnd, name, 256);
  return FromWide(name, n > 0 ? static_cast<std::size_t>(n) : 0);
}

namespace {

// Enumerates windows with a closure that answers false to stop.
using TVisit = std::function<bool(HWND)>;

BOOL CALLBACK VisitOne(HWND Wnd, LPARAM Param) {
  return Vcl::Guarded([&]() -> BOOL { return (*reinterpret_cast<TVisit*>(Param))(Wnd); }, FALSE);
}

void EachTopWindow(TVisit Visit) { EnumWindows(&VisitOne, reinterpret_cast<LPARAM>(&Visit)); }

void EachChild(HWND Parent, TVisit Visit) {
  EnumChildWindows(Parent, &VisitOne, reinterpret_cast<LPARAM>(&Visit));
}

}  // namespace

HWND FindTopWindow(const AnsiString& Caption, const AnsiString& ClassName) {
  HWND found = nullptr;
  EachTopWindow([&](HWND Wnd) {
    if (WindowText(Wnd) != Caption) return true;
    if (!ClassName.empty() && WindowClass(Wnd) != ClassName) return true;
    found = Wnd;
    return false;
  });
  return found;
}

HWND FindChildByText(HWND Parent, const AnsiString& Text) {
  HWND found = nullptr;
  EachChild(Parent, [&](HWND Wnd) {
    const AnsiString t = WindowText(Wnd);
    if (t != Text && WithoutAmpersands(t) != Text) return true;
    found = Wnd;
    return false;
  });
  return found;
}

// ---------------------------------------------------------------------------
// What was seen

const TControlInfo* TDialogSeen::Control(int Id) const {
  for (const TControlInfo& c : Controls)
    if (c.Id == Id) return &c;
  return nullptr;
}

bool TDialogSeen::HasText(const AnsiString& Text) const {
  return std::any_of(Controls.begin(), Controls.end(), [&](const TControlInfo& c) { return c.Text == Text; });
}

namespace {

std::vector<TControlInfo> ListControls(HWND Dialog) {
  std::vector<TControlInfo> list;
  EachChild(Dialog, [&](HWND Wnd) {
    TControlInfo c;
    c.ClassName = WindowClass(Wnd);
    c.Id = GetDlgCtrlID(Wnd);
    c.Text = WindowText(Wnd);
    c.Visible = IsWindowVisible(Wnd) != FALSE;
    list.push_back(std::move(c));
    return true;
  });
  return list;
}

HWND Control(HWND Dialog, int Id) {
  HWND c = GetDlgItem(Dialog, Id);
  if (!c) throw Vcl::Exception("ダイアログにコントロール " + Vcl::IntToStr(Id) + " がありません.");
  return c;
}

// Where typing into a control lands: the control, or the edit box inside a
// combo box.
HWND TypingTarget(HWND Ctl) {
  if (WindowClass(Ctl) == "Edit") return Ctl;
  HWND edit = nullptr;
  EachChild(Ctl, [&](HWND Wnd) {
    if (WindowClass(Wnd) != "Edit") return true;
    edit = Wnd;
    return false;
  });
  return edit ? edit : Ctl;
}

void Click(HWND Button) {
  if (!IsWindowEnabled(Button)) throw Vcl::Exception("ボタン \"" + WindowText(Button) + "\" は無効です.");
  SendMessageW(Button, BM_CLICK, 0, 0);
}

}  // namespace

// ---------------------------------------------------------------------------
// Scripts

TDialogScript& TDialogScript::SetText(int Id, const AnsiString& Text) {
  return Do([=](HWND Dialog) {
    SendMessageW(Control(Dialog, Id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(ToWide(Text).c_str()));
  });
}

TDialogScript& TDialogScript::Type(int Id, const AnsiString& Text) {
  return Do([=](HWND Dialog) {
    HWND target = Id ? TypingTarget(Control(Dialog, Id)) : GetFocus();
    if (!target) throw Vcl::Exception("入力を受けるコントロールがありません.");
    if (GetFocus() != target) SetFocus(target);
    for (wchar_t ch : ToWide(Text)) SendMessageW(target, WM_CHAR, ch, 1);
  });
}

TDialogScript& TDialogScript::Press(int Id) {
  return Do([=](HWND Dialog) { Click(Control(Dialog, Id)); });
}

TDialogScript& TDialogScript::Press(const AnsiString& Caption) {
  return Do([=](HWND Dialog) {
    HWND button = FindChildByText(Dialog, Caption);
    if (!button) throw Vcl::Exception("ボタン \"" + Caption + "\" がありません.");
    Click(button);
  });
}

TDialogScript& TDialogScript::Key(WORD VirtualKey) {
  return Do([=](HWND Dialog) {
    // Posted, so that the dialog's loop handles the key as typed.
    HWND focus = GetFocus();
    HWND target = focus && (focus == Dialog || IsChild(Dialog, focus)) ? focus : Dialog;
    const UINT scan = MapVirtualKeyW(VirtualKey, MAPVK_VK_TO_VSC);
    PostMessageW(target, WM_KEYDOWN, VirtualKey, static_cast<LPARAM>(1 | (scan << 16)));
    PostMessageW(target, WM_KEYUP, VirtualKey, static_cast<LPARAM>(1 | (scan << 16) | 0xC0000000u));
  });
}

TDialogScript& TDialogScript::Close() {
  return Do([](HWND Dialog) { PostMessageW(Dialog, WM_CLOSE, 0, 0); });
}

TDialogScript& TDialogScript::Do(TAction Action) {
  FActions.push_back(std::move(Action));
  return *this;
}

// ---------------------------------------------------------------------------
// The driver

namespace {
thread_local DialogDriver* Current = nullptr;
constexpr UINT_PTR TimerId = 0x7E57;
}  // namespace

struct DialogDriver::TRunning {
  HWND Wnd = nullptr;
  TDialogScript* Script = nullptr;
  std::unique_ptr<TDialogScript> Own;  // the closing script of an unexpected dialog
  std::size_t SeenIndex = 0;
  std::size_t Next = 0;
  bool Busy = false;
};

DialogDriver::DialogDriver() {
  if (Current) throw Vcl::Exception("DialogDriver はこのスレッドで既に動いています.");
  FHook = SetWindowsHookExW(WH_CBT, &CbtProc, nullptr, GetCurrentThreadId());
  if (!FHook) throw Vcl::Exception("CBT フックを設定できません.");
  Current = this;
}

DialogDriver::~DialogDriver() {
  UnhookWindowsHookEx(FHook);
  for (auto& r : FRunning)
    if (IsWindow(r->Wnd)) KillTimer(r->Wnd, TimerId);
  Current = nullptr;
}

TDialogScript& DialogDriver::Expect(const AnsiString& Caption, const AnsiString& ClassName) {
  auto script = std::make_unique<TDialogScript>();
  script->FCaption = Caption;
  script->FClassName = ClassName;
  FScripts.push_back(std::move(script));
  return *FScripts.back();
}

int DialogDriver::Unexpected() const {
  return static_cast<int>(std::count_if(FSeen.begin(), FSeen.end(), [](const TDialogSeen& s) { return !s.Expected; }));
}

bool DialogDriver::AllDone() const {
  for (const auto& script : FScripts) {
    if (!script->FMatched) return false;
    if (FSeen[script->FSeenIndex].ActionsRun != static_cast<int>(script->FActions.size())) return false;
  }
  return FErrors.empty();
}

LRESULT CALLBACK DialogDriver::CbtProc(int Code, WPARAM WParam, LPARAM LParam) {
  if (Current && Code >= 0) {
    HWND wnd = reinterpret_cast<HWND>(WParam);
    try {
      if (Code == HCBT_ACTIVATE) Current->Activated(wnd);
      if (Code == HCBT_DESTROYWND) Current->Destroyed(wnd);
    } catch (...) {
      Current->FErrors.push_back(Vcl::ExceptionText(std::current_exception()));
    }
  }
  return CallNextHookEx(nullptr, Code, WParam, LParam);
}

void CALLBACK DialogDriver::TimerProc(HWND Wnd, UINT, UINT_PTR, DWORD) {
  KillTimer(Wnd, TimerId);
  if (!Current) return;
  try {
    Current->Step(Wnd);
  } catch (...) {
    Current->FErrors.push_back(Vcl::ExceptionText(std::current_exception()));
  }
}

DialogDriver::TRunning* DialogDriver::Find(HWND Wnd) {
  for (auto& r : FRunning)
    if (r->Wnd == Wnd) return r.get();
  return nullptr;
}

void DialogDriver::Forget(HWND Wnd) {
  FRunning.erase(std::remove_if(FRunning.begin(), FRunning.end(), [&](const auto& r) { return r->Wnd == Wnd; }),
                 FRunning.end());
}

void DialogDriver::Activated(HWND Wnd) {
  // A dialog comes back to the front after a nested one closes; it is the
  // same dialog.
  if (Find(Wnd)) return;
  for (const TDialogSeen& s : FSeen)
    if (s.Handle == Wnd) return;

  const AnsiString caption = WindowText(Wnd);
  const AnsiString className = WindowClass(Wnd);
  TDialogScript* script = nullptr;
  for (auto& s : FScripts) {
    if (s->FMatched) continue;
    if (!s->FCaption.empty() && s->FCaption != caption) continue;
    if (!s->FClassName.empty() && s->FClassName != className) continue;
    script = s.get();
    break;
  }
  if (!script && !(FCloseUnexpected && className == "#32770")) return;

  auto run = std::make_unique<TRunning>();
  run->Wnd = Wnd;
  if (script) {
    script->FMatched = true;
    script->FSeenIndex = FSeen.size();
    run->Script = script;
  } else {
    run->Own = std::make_unique<TDialogScript>();
    run->Own->Close();
    run->Script = run->Own.get();
  }
  TDialogSeen seen;
  seen.Handle = Wnd;
  seen.Caption = caption;
  seen.ClassName = className;
  seen.Expected = script != nullptr;
  GetWindowRect(Wnd, &seen.Rect);
  FSeen.push_back(std::move(seen));
  run->SeenIndex = FSeen.size() - 1;
  FRunning.push_back(std::move(run));
  // The dialog is not up yet: act from its own message loop, later.
  SetTimer(Wnd, TimerId, static_cast<UINT>(FFirstDelay), &TimerProc);
}

void DialogDriver::Destroyed(HWND Wnd) {
  if (Find(Wnd)) {
    KillTimer(Wnd, TimerId);
    Forget(Wnd);
  }
}

void DialogDriver::Step(HWND Wnd) {
  TRunning* run = Find(Wnd);
  // A step that runs a nested loop (a message box in answer to a click) must
  // not start the next step from inside it.
  if (!run || run->Busy) return;
  const std::size_t seenIndex = run->SeenIndex;
  if (run->Next == 0) {
    GetWindowRect(Wnd, &FSeen[seenIndex].Rect);
    FSeen[seenIndex].Controls = ListControls(Wnd);
  }
  if (run->Next < run->Script->FActions.size()) {
    const TDialogScript::TAction action = run->Script->FActions[run->Next++];
    const AnsiString caption = FSeen[seenIndex].Caption;
    run->Busy = true;
    bool failed = false;
    try {
      action(Wnd);
    } catch (...) {
      FErrors.push_back("\"" + caption + "\": " + Vcl::ExceptionText(std::current_exception()));
      failed = true;
    }
    ++FSeen[seenIndex].ActionsRun;
    run = Find(Wnd);  // the action may have destroyed the dialog
    if (run) run->Busy = false;
    if (failed) {
      // A broken script must not leave the test waiting on the dialog.
      if (run) Forget(Wnd);
      if (IsWindow(Wnd)) PostMessageW(Wnd, WM_CLOSE, 0, 0);
      return;
    }
  }
  if (!run) return;
  if (run->Next < run->Script->FActions.size() && IsWindow(Wnd))
    SetTimer(Wnd, TimerId, static_cast<UINT>(FStepDelay), &TimerProc);
  else
    Forget(Wnd);
}

}  // namespace TestKit
