// Message order checked against declared tables of expected calls.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "Snatchers.h"

// One call seen by a handler or a window procedure: who saw it, which
// message, its WParam.
struct TCall {
  std::string Who;
  UINT Msg = 0;
  std::intptr_t WParam = 0;
};

class TCallLog {
 public:
  // Only these messages are recorded (windows get many of the system's):
  // WM_DESTROY, WM_NCDESTROY, WM_USER and up, and any added to Watch.
  bool Watched(UINT Msg) const;
  void Watch(UINT Msg) { FExtra.push_back(Msg); }
  void Add(const std::string& Who, UINT Msg, std::intptr_t WParam);
  // Records an event that is not a message (message number 0).
  void Note(const std::string& What) { FCalls.push_back({What, 0, 0}); }
  void Clear() { FCalls.clear(); }
  const std::vector<TCall>& Calls() const { return FCalls; }
  // The calls so far as text, one per line ("who msg wparam"); clears.
  std::string Take();
  static std::string Text(std::initializer_list<TCall> Calls);

 private:
  std::vector<TCall> FCalls;
  std::vector<UINT> FExtra;
};

// The log every test window and probe of a test writes to.
TCallLog& Log();

// Checks that the calls recorded since the last check are exactly Expected.
#define CHECK_CALLS(...) CHECK(Log().Take() == TCallLog::Text({__VA_ARGS__}))

// A window of a test class whose procedure records each watched message
// under the window's name (an unknown handle records as "?"), answers
// WM_APP with 0x100 + WParam and leaves the rest to DefWindowProc.
HWND MakeTestWindow(const std::string& Name, HWND Parent = nullptr);
// The name a test window was made with.
std::string TestWindowName(HWND Wnd);
// The procedure of the test windows' class.
WNDPROC TestWindowProc();
// The window's procedure as the A functions see it.
WNDPROC CurrentProc(HWND Wnd);

// A message handler that records its calls and then does what it is told.
class TProbe : public Orvik::TObject {
 public:
  explicit TProbe(std::string Name) : Name(std::move(Name)) {}
  std::string Name;
  // Run after recording; may change the message and the flag.
  std::function<void(Orvik::TObject* Sender, Orvik::TMessage& M, bool& Handled)> Action;
  // Every Sender the probe was called with, in order.
  std::vector<Orvik::TObject*> Senders;
  // The flag as each call found it.
  std::vector<bool> FlagsOnEntry;

  void Handle(Orvik::TObject* Sender, Orvik::TMessage& M, bool& Handled);
  Orvik::TMessageEventHandler Handler() { return Orvik::TMessageEventHandler::Bind<&TProbe::Handle>(this); }
};
