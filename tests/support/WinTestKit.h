// Helpers for tests that drive real windows and modal dialogs.
//
// A modal dialog runs its own message loop, so a test cannot answer it after
// the call that shows it. DialogDriver watches for windows activated on this
// thread (a WH_CBT hook) and, once a dialog it expects is up, plays a short
// script on it from a timer of that dialog: type into a control, press a
// button, send Enter or Esc, close it. The hook itself only records and arms
// the timer; nothing blocks inside it.
//
//   TestKit::DialogDriver driver;
//   driver.Expect("サイズの指定").Type(InputQueryEditId, "24").Key(VK_RETURN);
//   bool ok = InputQuery(...);            // answered by the driver
//   CHECK(driver.Seen().size() == 1);
//
// All texts are CP932.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "SysUtils.h"

namespace TestKit {

using Vcl::AnsiString;

// Dispatches this thread's messages for about Ms milliseconds. A WM_QUIT is
// put back for the caller's own loop, and ends the wait.
void PumpMessages(int Ms);
// Dispatches messages until Done() holds or Ms milliseconds have passed;
// returns Done().
bool PumpUntil(const std::function<bool()>& Done, int Ms);

// A window's text and class name, as CP932.
AnsiString WindowText(HWND Wnd);
AnsiString WindowClass(HWND Wnd);
// The first top-level window (of any process) with this caption and, when
// ClassName is not empty, this class; null when there is none.
HWND FindTopWindow(const AnsiString& Caption, const AnsiString& ClassName = "");
// The first descendant of Parent whose text is Text, or Text without its
// "&" marks (a button captioned "開く(&O)" matches "開く(O)"); null when none.
HWND FindChildByText(HWND Parent, const AnsiString& Text);

struct TControlInfo {
  AnsiString ClassName;
  int Id = 0;
  AnsiString Text;
  bool Visible = false;
};

// A dialog that appeared while the driver watched.
struct TDialogSeen {
  HWND Handle = nullptr;
  AnsiString Caption;
  AnsiString ClassName;
  RECT Rect{};       // screen position when its script started
  bool Expected = false;
  // The controls, with their texts, when its script started.
  std::vector<TControlInfo> Controls;
  // Actions of its script that ran.
  int ActionsRun = 0;

  // The control of that id, or null.
  const TControlInfo* Control(int Id) const;
  // True when some control showed exactly this text.
  bool HasText(const AnsiString& Text) const;
};

// The actions to play on one expected dialog, in order, a short pause apart.
class TDialogScript {
 public:
  using TAction = std::function<void(HWND Dialog)>;

  // Sets a control's text (WM_SETTEXT), as a program would.
  TDialogScript& SetText(int Id, const AnsiString& Text);
  // Types Text into control Id (0: the control that has the focus; the edit
  // box of a combo box) one character at a time, as the keyboard would:
  // limits and selection apply.
  TDialogScript& Type(int Id, const AnsiString& Text);
  // Clicks the button with this id, or with this caption.
  TDialogScript& Press(int Id);
  TDialogScript& Press(const AnsiString& Caption);
  // Presses and releases a key in the focused control (VK_RETURN, VK_ESCAPE),
  // through the dialog's own keyboard handling.
  TDialogScript& Key(WORD VirtualKey);
  // Asks the dialog to close (WM_CLOSE).
  TDialogScript& Close();
  // Any other step; an exception it raises is recorded and ends the script.
  TDialogScript& Do(TAction Action);

 private:
  friend class DialogDriver;
  AnsiString FCaption;
  AnsiString FClassName;
  std::vector<TAction> FActions;
  bool FMatched = false;
  std::size_t FSeenIndex = 0;
};

class DialogDriver {
 public:
  // Starts watching this thread. One driver per thread at a time.
  DialogDriver();
  ~DialogDriver();
  DialogDriver(const DialogDriver&) = delete;
  DialogDriver& operator=(const DialogDriver&) = delete;

  // Expects a dialog with this caption (empty: any) and window class (empty:
  // any); each expectation answers one dialog, in the order they appear.
  TDialogScript& Expect(const AnsiString& Caption, const AnsiString& ClassName = "#32770");

  // Dialogs (class "#32770") that no expectation matches are recorded and
  // closed, so that a test never hangs on them. On by default.
  void SetCloseUnexpected(bool Value) { FCloseUnexpected = Value; }
  // Pause before the first action and between actions.
  void SetDelays(int FirstMs, int StepMs) { FFirstDelay = FirstMs; FStepDelay = StepMs; }

  // Every window matched or closed, in order of appearance.
  const std::vector<TDialogSeen>& Seen() const { return FSeen; }
  // Dialogs that appeared without an expectation.
  int Unexpected() const;
  // True when every expectation has met its dialog and played all actions.
  bool AllDone() const;
  // What went wrong in scripts (missing controls, exceptions of actions).
  const std::vector<AnsiString>& Errors() const { return FErrors; }

 private:
  struct TRunning;
  static LRESULT CALLBACK CbtProc(int Code, WPARAM WParam, LPARAM LParam);
  static void CALLBACK TimerProc(HWND Wnd, UINT Msg, UINT_PTR Id, DWORD Time);
  void Activated(HWND Wnd);
  void Destroyed(HWND Wnd);
  void Step(HWND Wnd);
  TRunning* Find(HWND Wnd);
  void Forget(HWND Wnd);

  HHOOK FHook = nullptr;
  std::vector<std::unique_ptr<TDialogScript>> FScripts;
  std::vector<std::unique_ptr<TRunning>> FRunning;
  std::vector<TDialogSeen> FSeen;
  std::vector<AnsiString> FErrors;
  bool FCloseUnexpected = true;
  int FFirstDelay = 150;
  int FStepDelay = 40;
};

}  // namespace TestKit
