// Window subclassing on real windows: the handler, the former procedure,
// WM_DESTROY, chains of hooks and exceptions.
#include <doctest.h>

#include <memory>

#include "Boundary.h"
#include "CallLog.h"

using namespace Orvik;

namespace {

// A top-level test window destroyed at the end of the scope (when still
// there).
struct TTestWindow {
  HWND Wnd;
  explicit TTestWindow(const char* Name) : Wnd(MakeTestWindow(Name)) { REQUIRE(Wnd); }
  ~TTestWindow() {
    if (IsWindow(Wnd)) DestroyWindow(Wnd);
  }
  TTestWindow(const TTestWindow&) = delete;
  TTestWindow& operator=(const TTestWindow&) = delete;
};

LRESULT Send(HWND Wnd, UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0) {
  return Vcl::CallCapturing([&] { return SendMessageA(Wnd, Msg, WParam, LParam); });
}

}  // namespace

TEST_CASE("SetWindowProc replaces the procedure and returns the former one") {
  TTestWindow w("w");
  WNDPROC own = CurrentProc(w.Wnd);
  CHECK((own == TestWindowProc()));
  WNDPROC previous = SetWindowProc(w.Wnd, DefWindowProcA);
  CHECK((previous == own));
  CHECK((CurrentProc(w.Wnd) == reinterpret_cast<WNDPROC>(DefWindowProcA)));
  CHECK((SetWindowProc(w.Wnd, own) == reinterpret_cast<WNDPROC>(DefWindowProcA)));
}

TEST_CASE("a subclass without a handler passes every message on unchanged") {
  TTestWindow w("w");
  TWindowSubclass sub;
  CHECK(sub.Handle() == nullptr);
  CHECK_FALSE(sub.OnWindowMessage.Assigned());
  sub.SetHandle(w.Wnd);
  CHECK(sub.Handle() == w.Wnd);
  CHECK(sub.WinControl() == nullptr);
  CHECK((sub.OldProc() == TestWindowProc()));
  CHECK((CurrentProc(w.Wnd) == sub.HookProc()));

  Log().Clear();
  CHECK(Send(w.Wnd, WM_APP, 5) == 0x105);
  CHECK_CALLS({"w", WM_APP, 5});
  // Text goes through and comes back.
  CHECK(SetWindowTextA(w.Wnd, "表示テスト"));
  char text[64] = {};
  GetWindowTextA(w.Wnd, text, sizeof text);
  CHECK(std::string(text) == "表示テスト");
}

TEST_CASE("the handler comes first; what it handles the window does not see") {
  TTestWindow w("w");
  TWindowSubclass sub;
  TProbe probe("handler");
  sub.OnWindowMessage = probe.Handler();
  sub.SetHandle(w.Wnd);

  struct Case {
    const char* name;
    std::function<void(TObject*, TMessage&, bool&)> action;
    LRESULT result;
    std::string calls;
  };
  const Case cases[] = {
      {"not handled", nullptr, 0x107, TCallLog::Text({{"handler", WM_APP, 7}, {"w", WM_APP, 7}})},
      {"handled, no result", [](TObject*, TMessage&, bool& h) { h = true; }, 0,
       TCallLog::Text({{"handler", WM_APP, 7}})},
      {"handled with a result",
       [](TObject*, TMessage& m, bool& h) {
         h = true;
         m.Result = -5;
       },
       -5, TCallLog::Text({{"handler", WM_APP, 7}})},
      {"changes WParam", [](TObject*, TMessage& m, bool&) { m.WParam = 9; }, 0x109,
       TCallLog::Text({{"handler", WM_APP, 7}, {"w", WM_APP, 9}})},
      // The former procedure runs once, inside the handler, and the handler
      // changes its result.
      {"calls the former procedure itself",
       [&](TObject* sender, TMessage& m, bool& h) {
         CHECK(sender == &sub);
         CHECK(m.Result == 0);
         sub.CallOldProc(m, h);
         CHECK(h);
         CHECK(m.Result == 0x107);
         Log().Add("after", m.Msg, m.WParam);
         sub.CallOldProc(m, h);  // already handled: nothing
         m.Result += 1;
       },
       0x108, TCallLog::Text({{"handler", WM_APP, 7}, {"w", WM_APP, 7}, {"after", WM_APP, 7}})},
  };
  for (const Case& k : cases) {
    CAPTURE(k.name);
    probe.Action = k.action;
    Log().Clear();
    CHECK(Send(w.Wnd, WM_APP, 7) == k.result);
    CHECK(Log().Take() == k.calls);
  }
  CHECK(probe.Senders.back() == &sub);
  CHECK(probe.FlagsOnEntry.back() == false);
}

TEST_CASE("WM_DESTROY is seen while hooked, then the window is let go") {
  HWND wnd = MakeTestWindow("w");
  REQUIRE(wnd);
  TWindowSubclass sub;
  TProbe probe("handler");
  WNDPROC procAtDestroy = nullptr;
  probe.Action = [&](TObject*, TMessage& m, bool&) {
    if (m.Msg != WM_DESTROY) return;
    CHECK(sub.Handle() == wnd);
    procAtDestroy = CurrentProc(wnd);
  };
  sub.OnWindowMessage = probe.Handler();
  sub.SetHandle(wnd);
  Log().Clear();
  REQUIRE(DestroyWindow(wnd));
  // The window's own procedure got WM_DESTROY with its own handle (named
  // "w", not "?"), and WM_NCDESTROY came to it directly.
  CHECK_CALLS({"handler", WM_DESTROY}, {"w", WM_DESTROY}, {"w", WM_NCDESTROY});
  CHECK((procAtDestroy == sub.HookProc()));
  CHECK(sub.Handle() == nullptr);
  CHECK(sub.WinControl() == nullptr);
  CHECK((sub.OldProc() == TestWindowProc()));  // kept after unhooking
}

TEST_CASE("a handler that handles WM_DESTROY keeps it from the window, which is let go all the same") {
  HWND wnd = MakeTestWindow("w");
  TWindowSubclass sub;
  TProbe probe("handler");
  probe.Action = [](TObject*, TMessage& m, bool& h) { h = m.Msg == WM_DESTROY; };
  sub.OnWindowMessage = probe.Handler();
  sub.SetHandle(wnd);
  Log().Clear();
  REQUIRE(DestroyWindow(wnd));
  CHECK_CALLS({"handler", WM_DESTROY}, {"w", WM_NCDESTROY});
  CHECK(sub.Handle() == nullptr);
}

TEST_CASE("hooking anew, and hooking nothing, give the window its procedure back") {
  TTestWindow first("first"), second("second");
  TWindowSubclass sub;
  TProbe probe("handler");
  sub.OnWindowMessage = probe.Handler();
  sub.SetHandle(first.Wnd);
  sub.SetHandle(second.Wnd);
  CHECK((CurrentProc(first.Wnd) == TestWindowProc()));
  CHECK((CurrentProc(second.Wnd) == sub.HookProc()));
  CHECK(sub.Handle() == second.Wnd);
  Log().Clear();
  Send(first.Wnd, WM_APP, 1);
  Send(second.Wnd, WM_APP, 2);
  CHECK_CALLS({"first", WM_APP, 1}, {"handler", WM_APP, 2}, {"second", WM_APP, 2});

  sub.SetHandle(nullptr);
  CHECK(sub.Handle() == nullptr);
  CHECK((CurrentProc(second.Wnd) == TestWindowProc()));
  Send(second.Wnd, WM_APP, 3);
  CHECK_CALLS({"second", WM_APP, 3});
  sub.UnSubclass();  // nothing hooked: nothing happens
  CHECK((CurrentProc(second.Wnd) == TestWindowProc()));

  // Destroying a hooked subclass gives the window back too.
  {
    TWindowSubclass other;
    other.SetHandle(first.Wnd);
    CHECK((CurrentProc(first.Wnd) == other.HookProc()));
  }
  CHECK((CurrentProc(first.Wnd) == TestWindowProc()));
}

TEST_CASE("a window that does not exist cannot be hooked") {
  HWND wnd = MakeTestWindow("gone");
  DestroyWindow(wnd);
  TWindowSubclass sub;
  CHECK_THROWS_AS(sub.SetHandle(wnd), Vcl::EOSError);
  CHECK(sub.Handle() == nullptr);
}

TEST_CASE("two subclasses on one window, removed in either order") {
  struct Case {
    const char* name;
    bool removeFirstHookedFirst;
    bool byDestruction;
  };
  const Case cases[] = {
      {"last hooked removed first", false, false},
      {"first hooked removed first", true, false},
      {"first hooked destroyed first", true, true},
  };
  for (const Case& k : cases) {
    CAPTURE(k.name);
    TTestWindow w("w");
    auto a = std::make_unique<TWindowSubclass>();
    auto b = std::make_unique<TWindowSubclass>();
    TProbe pa("a"), pb("b");
    a->OnWindowMessage = pa.Handler();
    b->OnWindowMessage = pb.Handler();
    a->SetHandle(w.Wnd);
    b->SetHandle(w.Wnd);
    CHECK((b->OldProc() == a->HookProc()));

    // The last hooked sees each message first; what it handles goes no further.
    pb.Action = [](TObject*, TMessage& m, bool& h) { h = m.WParam == 1; };
    Log().Clear();
    CHECK(Send(w.Wnd, WM_APP, 0) == 0x100);
    CHECK(Send(w.Wnd, WM_APP, 1) == 0);
    CHECK_CALLS({"b", WM_APP, 0}, {"a", WM_APP, 0}, {"w", WM_APP, 0}, {"b", WM_APP, 1});

    TWindowSubclass* gone = k.removeFirstHookedFirst ? a.get() : b.get();
    TWindowSubclass* stays = k.removeFirstHookedFirst ? b.get() : a.get();
    const std::string stayName = k.removeFirstHookedFirst ? "b" : "a";
    if (k.byDestruction)
      (k.removeFirstHookedFirst ? a : b).reset();
    else
      gone->UnSubclass();
    // The chain holds: the other one still sees messages, and the window
    // still answers.
    CHECK(Send(w.Wnd, WM_APP, 2) == 0x102);
    CHECK_CALLS({stayName, WM_APP, 2}, {"w", WM_APP, 2});
    CHECK((stays->OldProc() == TestWindowProc()));

    stays->UnSubclass();
    CHECK((CurrentProc(w.Wnd) == TestWindowProc()));
    CHECK(Send(w.Wnd, WM_APP, 3) == 0x103);
    CHECK_CALLS({"w", WM_APP, 3});
  }
}

namespace {
WNDPROC ForeignOld = nullptr;
LRESULT CALLBACK ForeignProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  Log().Add("foreign", Msg, static_cast<std::intptr_t>(WParam));
  return CallWindowProcA(ForeignOld, Wnd, Msg, WParam, LParam);
}
}  // namespace

TEST_CASE("a subclass below a foreign procedure keeps the chain whole when it is removed") {
  HWND wnd = MakeTestWindow("w");
  auto sub = std::make_unique<TWindowSubclass>();
  TProbe probe("sub");
  sub->OnWindowMessage = probe.Handler();
  sub->SetHandle(wnd);
  ForeignOld = SetWindowProc(wnd, ForeignProc);
  CHECK((ForeignOld == sub->HookProc()));

  // Destroyed while the foreign procedure above still calls its hook: the
  // hook passes on to the window's procedure from then on.
  sub.reset();
  Log().Clear();
  CHECK(Send(wnd, WM_APP, 4) == 0x104);
  CHECK_CALLS({"foreign", WM_APP, 4}, {"w", WM_APP, 4});

  // A new subclass on top of that works as usual.
  TWindowSubclass top;
  TProbe topProbe("top");
  top.OnWindowMessage = topProbe.Handler();
  top.SetHandle(wnd);
  CHECK(Send(wnd, WM_APP, 5) == 0x105);
  CHECK_CALLS({"top", WM_APP, 5}, {"foreign", WM_APP, 5}, {"w", WM_APP, 5});
  top.UnSubclass();

  // The foreign procedure leaves; the hook left behind leaves at the next message.
  SetWindowProc(wnd, ForeignOld);
  CHECK(Send(wnd, WM_APP, 6) == 0x106);
  CHECK((CurrentProc(wnd) == TestWindowProc()));
  CHECK(Send(wnd, WM_APP, 7) == 0x107);
  CHECK_CALLS({"w", WM_APP, 6}, {"w", WM_APP, 7});
  DestroyWindow(wnd);
  CHECK_CALLS({"w", WM_DESTROY}, {"w", WM_NCDESTROY});
}

TEST_CASE("a hook left behind under a foreign procedure goes with its window") {
  HWND wnd = MakeTestWindow("w");
  auto sub = std::make_unique<TWindowSubclass>();
  sub->SetHandle(wnd);
  ForeignOld = SetWindowProc(wnd, ForeignProc);
  sub->UnSubclass();
  CHECK(sub->Handle() == nullptr);
  // Hooking again uses a new procedure; the old one still passes on.
  sub->SetHandle(wnd);
  CHECK_FALSE((sub->HookProc() == ForeignOld));
  CHECK(sub->Handle() == wnd);
  sub.reset();
  Log().Clear();
  DestroyWindow(wnd);
  CHECK_CALLS({"foreign", WM_DESTROY}, {"w", WM_DESTROY}, {"foreign", WM_NCDESTROY}, {"w", WM_NCDESTROY});
}

TEST_CASE("an exception from the handler reaches the code that sent the message") {
  TTestWindow w("w");
  TWindowSubclass sub;
  TProbe probe("handler");
  probe.Action = [](TObject*, TMessage& m, bool&) {
    if (m.WParam == 13) throw Vcl::Exception("ハンドラで失敗しました.");
  };
  sub.OnWindowMessage = probe.Handler();
  sub.SetHandle(w.Wnd);
  Log().Clear();
  CHECK_THROWS_WITH_AS(Send(w.Wnd, WM_APP, 13), "ハンドラで失敗しました.", Vcl::Exception);
  // The window did not see that message; everything carries on.
  CHECK_CALLS({"handler", WM_APP, 13});
  CHECK(sub.Handle() == w.Wnd);
  CHECK(Send(w.Wnd, WM_APP, 1) == 0x101);
  CHECK_CALLS({"handler", WM_APP, 1}, {"w", WM_APP, 1});

  // Through a chain: the lower hook's exception goes up through the upper one.
  TWindowSubclass upper;
  TProbe upperProbe("upper");
  upper.OnWindowMessage = upperProbe.Handler();
  upper.SetHandle(w.Wnd);
  CHECK_THROWS_WITH_AS(Send(w.Wnd, WM_APP, 13), "ハンドラで失敗しました.", Vcl::Exception);
  CHECK_CALLS({"upper", WM_APP, 13}, {"handler", WM_APP, 13});
}

TEST_CASE("an exception from the handler at WM_DESTROY leaves the window hooked until it is gone") {
  HWND wnd = MakeTestWindow("w");
  TWindowSubclass sub;
  TProbe probe("handler");
  probe.Action = [](TObject*, TMessage& m, bool&) {
    if (m.Msg == WM_DESTROY) throw Vcl::Exception("破棄で失敗しました.");
  };
  sub.OnWindowMessage = probe.Handler();
  sub.SetHandle(wnd);
  Log().Clear();
  CHECK_THROWS_WITH(Vcl::CallCapturing([&] { return DestroyWindow(wnd); }), "破棄で失敗しました.");
  // WM_NCDESTROY came through the hook, which then let the window go.
  CHECK_CALLS({"handler", WM_DESTROY}, {"handler", WM_NCDESTROY}, {"w", WM_NCDESTROY});
  CHECK_FALSE(IsWindow(wnd));
  CHECK(sub.Handle() == nullptr);
}

TEST_CASE("nested messages each have their own Handled") {
  TTestWindow w("w");
  TWindowSubclass sub;
  TProbe probe("handler");
  probe.Action = [&](TObject*, TMessage& m, bool& h) {
    if (m.WParam == 1) {
      CHECK(Send(w.Wnd, WM_APP, 2) == 0x102);  // not handled inside
      h = true;
      m.Result = 77;
    }
  };
  sub.OnWindowMessage = probe.Handler();
  sub.SetHandle(w.Wnd);
  Log().Clear();
  CHECK(Send(w.Wnd, WM_APP, 1) == 77);
  CHECK_CALLS({"handler", WM_APP, 1}, {"handler", WM_APP, 2}, {"w", WM_APP, 2});
}

TEST_CASE("a subclass destroyed by its own handler still passes the message on") {
  TTestWindow w("w");
  auto* sub = new TWindowSubclass;
  TProbe probe("handler");
  probe.Action = [&](TObject*, TMessage&, bool&) { delete sub; };
  sub->OnWindowMessage = probe.Handler();
  sub->SetHandle(w.Wnd);
  Log().Clear();
  CHECK(Send(w.Wnd, WM_APP, 8) == 0x108);
  CHECK_CALLS({"handler", WM_APP, 8}, {"w", WM_APP, 8});
  CHECK((CurrentProc(w.Wnd) == TestWindowProc()));
}

TEST_CASE("a handler that hooks another window still passes its message to its own window") {
  TTestWindow first("first"), second("second");
  TWindowSubclass sub;
  TProbe probe("handler");
  probe.Action = [&](TObject*, TMessage& m, bool&) {
    if (m.WParam == 1) sub.SetHandle(second.Wnd);
  };
  sub.OnWindowMessage = probe.Handler();
  sub.SetHandle(first.Wnd);
  Log().Clear();
  CHECK(Send(first.Wnd, WM_APP, 1) == 0x101);
  CHECK(Send(second.Wnd, WM_APP, 2) == 0x102);
  CHECK_CALLS({"handler", WM_APP, 1}, {"first", WM_APP, 1}, {"handler", WM_APP, 2}, {"second", WM_APP, 2});
  CHECK((CurrentProc(first.Wnd) == TestWindowProc()));
}
