// Window procedures bound to objects through thunks.
#include <doctest.h>

#include <memory>
#include <set>
#include <vector>

#include "ObjectInstance.h"
#include "TestWindows.h"

using namespace Vcl;

namespace {

struct TRecorder {
  std::vector<TMessage> Seen;
  bool SetResult = false;
  std::intptr_t Answer = 0;
  void WndProc(TMessage& M) {
    // Result must arrive as 0, whatever the last call left.
    CHECK(M.Result == 0);
    Seen.push_back(M);
    if (SetResult) M.Result = Answer;
  }
  TWndMethod Method() { return TWndMethod::Bind<&TRecorder::WndProc>(this); }
};

// Owns a thunk for the length of a test.
struct TInstance {
  WNDPROC Proc;
  explicit TInstance(TWndMethod M) : Proc(MakeObjectInstance(M)) {}
  ~TInstance() { FreeObjectInstance(Proc); }
  TInstance(const TInstance&) = delete;
  TInstance& operator=(const TInstance&) = delete;
};

}  // namespace

TEST_CASE("a thunk as a real window's procedure passes every message to its object") {
  TRecorder rec;
  TInstance inst(rec.Method());
  REQUIRE((inst.Proc != nullptr));
  TWindowGuard wnd(MakePlainWindow());
  REQUIRE(wnd.Get());
  TProcSwap swap(wnd.Get(), inst.Proc);
  CHECK((reinterpret_cast<WNDPROC>(GetWindowLongPtrW(wnd.Get(), GWLP_WNDPROC)) == inst.Proc));

  // Parameters keep their full width and sign; Result comes back as returned.
  const WPARAM wp = ~WPARAM(0) - 6;
  const LPARAM lp = -123456789;
  struct Case {
    bool set;
    std::intptr_t answer;
    LRESULT expected;
  };
  const Case cases[] = {{true, 0x1234, 0x1234}, {true, -7, -7}, {false, 99, 0}};
  for (const Case& c : cases) {
    rec.Seen.clear();
    rec.SetResult = c.set;
    rec.Answer = c.answer;
    CHECK(SendMessageW(wnd.Get(), WM_APP + 5, wp, lp) == c.expected);
    REQUIRE(rec.Seen.size() == 1);
    CHECK(rec.Seen[0].Msg == WM_APP + 5);
    CHECK(rec.Seen[0].WParam == static_cast<std::intptr_t>(wp));
    CHECK(rec.Seen[0].LParam == lp);
  }

  // A posted message arrives through the message loop as well.
  rec.Seen.clear();
  rec.SetResult = false;
  REQUIRE(PostMessageW(wnd.Get(), WM_APP + 6, 3, 4));
  MSG msg;
  while (PeekMessageW(&msg, wnd.Get(), 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  REQUIRE(rec.Seen.size() == 1);
  CHECK(rec.Seen[0].Msg == WM_APP + 6);
  CHECK(rec.Seen[0].WParam == 3);
  CHECK(rec.Seen[0].LParam == 4);

  // Window messages of the system reach the object too.
  rec.Seen.clear();
  SetWindowTextW(wnd.Get(), L"x");
  REQUIRE(rec.Seen.size() == 1);
  CHECK(rec.Seen[0].Msg == WM_SETTEXT);
}

TEST_CASE("two thunks reach two objects") {
  TRecorder a, b;
  TInstance ia(a.Method()), ib(b.Method());
  CHECK((ia.Proc != ib.Proc));
  TWindowGuard wa(MakePlainWindow()), wb(MakePlainWindow());
  TProcSwap sa(wa.Get(), ia.Proc), sb(wb.Get(), ib.Proc);
  a.SetResult = b.SetResult = true;
  a.Answer = 1;
  b.Answer = 2;
  CHECK(SendMessageW(wa.Get(), WM_APP, 10, 0) == 1);
  CHECK(SendMessageW(wb.Get(), WM_APP, 20, 0) == 2);
  CHECK(SendMessageW(wb.Get(), WM_APP, 21, 0) == 2);
  REQUIRE(a.Seen.size() == 1);
  REQUIRE(b.Seen.size() == 2);
  CHECK(a.Seen[0].WParam == 10);
  CHECK(b.Seen[0].WParam == 20);
  CHECK(b.Seen[1].WParam == 21);
}

TEST_CASE("released thunks are reused for new objects and nothing reaches the old one") {
  TRecorder a, b;
  WNDPROC p1 = MakeObjectInstance(a.Method());
  FreeObjectInstance(p1);
  // A stale call through a released thunk reaches nobody.
  CHECK(CallWindowProcW(p1, nullptr, WM_APP, 1, 1) == 0);
  CHECK(a.Seen.empty());

  WNDPROC p2 = MakeObjectInstance(b.Method());
  CHECK((p2 == p1));
  b.SetResult = true;
  b.Answer = 42;
  CHECK(CallWindowProcW(p2, nullptr, WM_APP, 2, 0) == 42);
  CHECK(a.Seen.empty());
  REQUIRE(b.Seen.size() == 1);

  // Releasing twice, null, or a procedure not made here changes nothing: the
  // next two thunks are still distinct.
  FreeObjectInstance(p2);
  FreeObjectInstance(p2);
  FreeObjectInstance(nullptr);
  FreeObjectInstance(DefWindowProcW);
  FreeObjectInstance(reinterpret_cast<WNDPROC>(reinterpret_cast<char*>(p2) + 1));
  WNDPROC x = MakeObjectInstance(a.Method());
  WNDPROC y = MakeObjectInstance(b.Method());
  CHECK((x != y));
  b.Seen.clear();
  CallWindowProcW(x, nullptr, WM_APP, 7, 0);
  CallWindowProcW(y, nullptr, WM_APP, 8, 0);
  REQUIRE(a.Seen.size() == 1);
  REQUIRE(b.Seen.size() == 1);
  CHECK(a.Seen[0].WParam == 7);
  CHECK(b.Seen[0].WParam == 8);
  FreeObjectInstance(x);
  FreeObjectInstance(y);
}

TEST_CASE("thousands of thunks, each bound to its own object") {
  constexpr int count = 2000;
  std::vector<std::unique_ptr<TRecorder>> recs;
  std::vector<WNDPROC> procs;
  for (int i = 0; i < count; ++i) {
    recs.push_back(std::make_unique<TRecorder>());
    recs.back()->SetResult = true;
    recs.back()->Answer = i * 3;
    procs.push_back(MakeObjectInstance(recs.back()->Method()));
  }
  CHECK(std::set<WNDPROC>(procs.begin(), procs.end()).size() == count);

  TWindowGuard wnd(MakePlainWindow());
  int wrong = 0;
  for (int i = count; i-- > 0;) {
    if (CallWindowProcW(procs[i], wnd.Get(), WM_APP + 1, static_cast<WPARAM>(i), 0) != i * 3) ++wrong;
  }
  CHECK(wrong == 0);
  for (int i = 0; i < count; ++i) {
    CAPTURE(i);
    REQUIRE(recs[i]->Seen.size() == 1);
    REQUIRE(recs[i]->Seen[0].WParam == i);
  }

  // Every other one as a real window's procedure, in turn.
  for (int i = 0; i < count; i += 97) {
    TProcSwap swap(wnd.Get(), procs[i]);
    CHECK(SendMessageW(wnd.Get(), WM_APP + 2, 0, 0) == i * 3);
  }

  for (WNDPROC p : procs) FreeObjectInstance(p);
  // Released ones come back before any new memory is taken.
  std::set<WNDPROC> released(procs.begin(), procs.end());
  WNDPROC again = MakeObjectInstance(recs[0]->Method());
  CHECK(released.count(again) == 1);
  FreeObjectInstance(again);
}
