#include "CallLog.h"

#include <map>
#include <sstream>

bool TCallLog::Watched(UINT Msg) const {
  if (Msg == WM_DESTROY || Msg == WM_NCDESTROY || (Msg >= WM_USER && Msg < 0xC000)) return true;
  for (UINT m : FExtra)
    if (m == Msg) return true;
  return false;
}

void TCallLog::Add(const std::string& Who, UINT Msg, std::intptr_t WParam) {
  if (Watched(Msg)) FCalls.push_back({Who, Msg, WParam});
}

static std::string Line(const TCall& C) {
  std::ostringstream s;
  s << C.Who << " 0x" << std::hex << C.Msg << std::dec << " " << C.WParam << "\n";
  return s.str();
}

std::string TCallLog::Take() {
  std::string text;
  for (const TCall& c : FCalls) text += Line(c);
  FCalls.clear();
  return text;
}

std::string TCallLog::Text(std::initializer_list<TCall> Calls) {
  std::string text;
  for (const TCall& c : Calls) text += Line(c);
  return text;
}

TCallLog& Log() {
  static TCallLog log;
  return log;
}

static std::map<HWND, std::string>& Names() {
  static std::map<HWND, std::string> names;
  return names;
}

std::string TestWindowName(HWND Wnd) {
  auto it = Names().find(Wnd);
  return it == Names().end() ? "?" : it->second;
}

static LRESULT CALLBACK TestProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  Log().Add(TestWindowName(Wnd), Msg, static_cast<std::intptr_t>(WParam));
  if (Msg == WM_APP) return 0x100 + static_cast<LRESULT>(WParam);
  if (Msg == WM_NCDESTROY) {
    LRESULT r = DefWindowProcA(Wnd, Msg, WParam, LParam);
    Names().erase(Wnd);
    return r;
  }
  return DefWindowProcA(Wnd, Msg, WParam, LParam);
}

WNDPROC TestWindowProc() { return &TestProc; }

HWND MakeTestWindow(const std::string& Name, HWND Parent) {
  static const ATOM atom = [] {
    WNDCLASSA wc{};
    wc.lpfnWndProc = &TestProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "OrvikTestWindow";
    return RegisterClassA(&wc);
  }();
  (void)atom;
  const DWORD style = Parent ? WS_CHILD : WS_OVERLAPPEDWINDOW;
  HWND wnd = CreateWindowExA(0, "OrvikTestWindow", Name.c_str(), style, 0, 0, 200, 100, Parent, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
  if (wnd) Names()[wnd] = Name;
  return wnd;
}

WNDPROC CurrentProc(HWND Wnd) { return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(Wnd, GWLP_WNDPROC)); }

void TProbe::Handle(Orvik::TObject* Sender, Orvik::TMessage& M, bool& Handled) {
  Senders.push_back(Sender);
  FlagsOnEntry.push_back(Handled);
  Log().Add(Name, M.Msg, M.WParam);
  if (Action) Action(Sender, M, Handled);
}
