// The exception boundary between Windows and our code.
#include <doctest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "Boundary.h"
#include "ObjectInstance.h"
#include "TestWindows.h"

using namespace Vcl;

namespace {

// What the installed handler received, as text.
std::vector<AnsiString> Handled;

void RecordingHandler(std::exception_ptr E) { Handled.push_back(ExceptionText(E)); }

// Installs the recording handler for one test and puts the old one back.
struct THandlerScope {
  TUnhandledExceptionHandler Old;
  THandlerScope() : Old(SetUnhandledExceptionHandler(&RecordingHandler)) { Handled.clear(); }
  ~THandlerScope() { SetUnhandledExceptionHandler(Old); }
};

// A real window whose procedure is an object: Action runs for WM_APP.
struct TThrowingWindow {
  std::function<LRESULT(const TMessage&)> Action;
  int Calls = 0;
  void WndProc(TMessage& M) {
    if (M.Msg != WM_APP) {
      M.Result = DefWindowProcW(Wnd.Get(), M.Msg, M.WParam, M.LParam);
      return;
    }
    ++Calls;
    M.Result = Action ? Action(M) : 0;
  }
  TWindowGuard Wnd{MakePlainWindow()};
  WNDPROC Proc = MakeObjectInstance(TWndMethod::Bind<&TThrowingWindow::WndProc>(this));
  TProcSwap Swap{Wnd.Get(), Proc};
  ~TThrowingWindow() {
    SetWindowLongPtrW(Wnd.Get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Swap.Old()));
    FreeObjectInstance(Proc);
  }
  LRESULT Send(WPARAM W = 0) { return SendMessageW(Wnd.Get(), WM_APP, W, 0); }
};

}  // namespace

TEST_CASE("an exception under SendMessage inside CallCapturing reaches the caller") {
  THandlerScope handler;
  TThrowingWindow w;
  w.Action = [](const TMessage& M) -> LRESULT {
    switch (M.WParam) {
      case 1: throw EConvertError("'abc' は整数ではありません");
      case 2: throw EInvalidOperation("イメージサイズが正しくありません");
      case 3: throw std::runtime_error("plain failure");
      default: return 77;
    }
  };

  try {
    CallCapturing([&] { return w.Send(1); });
    FAIL("no exception");
  } catch (const EConvertError& e) {
    CHECK(e.Message() == "'abc' は整数ではありません");
  }
  CHECK_THROWS_WITH_AS(CallCapturing([&] { return w.Send(2); }), "イメージサイズが正しくありません",
                       EInvalidOperation);
  CHECK_THROWS_WITH_AS(CallCapturing([&] { w.Send(3); }), "plain failure", std::runtime_error);

  // The program goes on: the window still answers, and nothing went to the
  // handler.
  CHECK(CallCapturing([&] { return w.Send(0); }) == 77);
  CHECK(w.Calls == 4);
  CHECK(Handled.empty());

  // The first of several failures inside one call is the one reported; the
  // window procedure answered 0 for each failed message.
  LRESULT first = -1, second = -1;
  try {
    CallCapturing([&] {
      first = w.Send(1);
      second = w.Send(2);
    });
    FAIL("no exception");
  } catch (const EConvertError&) {
  }
  CHECK(first == 0);
  CHECK(second == 0);
  CHECK(Handled.empty());
}

TEST_CASE("without a scope the installed handler receives the exception") {
  THandlerScope handler;
  TThrowingWindow w;
  w.Action = [](const TMessage& M) -> LRESULT { throw EConvertError("'x' は整数ではありません"); };

  // Sent by our code without a scope.
  CHECK(w.Send() == 0);
  REQUIRE(Handled.size() == 1);
  CHECK(Handled[0] == "'x' は整数ではありません");

  // Dispatched by a message loop.
  REQUIRE(PostMessageW(w.Wnd.Get(), WM_APP, 0, 0));
  MSG msg;
  while (PeekMessageW(&msg, w.Wnd.Get(), 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  CHECK(Handled.size() == 2);
  CHECK(w.Calls == 2);

  // The handler gets the exception object itself, not only its text.
  static std::exception_ptr kept;
  auto keep = [](std::exception_ptr E) { kept = E; };
  TUnhandledExceptionHandler before = SetUnhandledExceptionHandler(keep);
  CHECK((before == &RecordingHandler));
  w.Send();
  REQUIRE(kept);
  CHECK_THROWS_AS(std::rethrow_exception(kept), EConvertError);
  kept = nullptr;
  // Null puts the default back; the one replaced is returned.
  CHECK((SetUnhandledExceptionHandler(nullptr) == +keep));
  SetUnhandledExceptionHandler(&RecordingHandler);

  // A handler that throws itself is contained.
  SetUnhandledExceptionHandler([](std::exception_ptr) { throw std::runtime_error("handler failed"); });
  CHECK(w.Send() == 0);
  SetUnhandledExceptionHandler(&RecordingHandler);
}

TEST_CASE("nested scopes: the innermost active scope captures") {
  THandlerScope handler;
  TThrowingWindow outer, inner;
  inner.Action = [](const TMessage&) -> LRESULT { throw EConvertError("inner"); };

  struct Case {
    const char* name;
    std::function<LRESULT(const TMessage&)> outerAction;
    const char* reachesCaller;  // null: the outer call returns normally
    int handled;
  };
  AnsiString seenInside;
  const Case cases[] = {
      // The inner scope hands the exception to the outer window's code,
      // which lets it go on: the outer scope carries it to the caller.
      {"inner goes on out", [&](const TMessage&) -> LRESULT { return CallCapturing([&] { return inner.Send(); }); },
       "inner", 0},
      // The outer window's code handles the inner failure and raises its own.
      {"caught and replaced",
       [&](const TMessage&) -> LRESULT {
         try {
           CallCapturing([&] { return inner.Send(); });
         } catch (const EConvertError& e) {
           seenInside = e.Message();
         }
         throw EInvalidOperation("outer");
       },
       "outer", 0},
      // A Windows call inside a callback without a scope of its own: the
      // failure cannot reach that code, so it goes to the handler, not to the
      // scope further out, and the outer call succeeds.
      {"no inner scope", [&](const TMessage&) -> LRESULT { return inner.Send() + 5; }, nullptr, 1},
  };
  for (const Case& c : cases) {
    CAPTURE(c.name);
    Handled.clear();
    outer.Action = c.outerAction;
    const char* reached = nullptr;
    LRESULT result = -1;
    try {
      result = CallCapturing([&] { return outer.Send(); });
    } catch (const Exception& e) {
      reached = e.what();
    }
    if (c.reachesCaller) {
      REQUIRE(reached);
      CHECK(std::string(reached) == c.reachesCaller);
    } else {
      CHECK(reached == nullptr);
      CHECK(result == 5);
    }
    CHECK(Handled.size() == static_cast<std::size_t>(c.handled));
  }
  CHECK(seenInside == "inner");

  // Scopes nested directly in our code: the inner one takes the exception.
  {
    TExceptionCapture a;
    {
      TExceptionCapture b;
      inner.Send();
      CHECK(b.Captured());
      CHECK(!a.Captured());
      CHECK_THROWS_AS(b.Rethrow(), EConvertError);
      CHECK(!b.Captured());
    }
    CHECK(!a.Captured());
  }

  // A scope left with an exception it never gave back passes it outwards:
  // to the enclosing scope, or at the outermost level to the handler.
  Handled.clear();
  {
    TExceptionCapture a;
    {
      TExceptionCapture b;
      inner.Send();
    }
    CHECK(a.Captured());
    CHECK(ExceptionText(a.Take()) == "inner");
    {
      TExceptionCapture c;
      inner.Send();
    }
    CHECK(a.Captured());
  }
  REQUIRE(Handled.size() == 1);
  CHECK(Handled[0] == "inner");
}

TEST_CASE("Guarded returns the fallback value and delivers the exception") {
  THandlerScope handler;
  CHECK(Guarded([]() -> LRESULT { return 3; }, -1) == 3);
  CHECK(Guarded([]() -> LRESULT { throw ERangeError("range"); }, -1) == -1);
  CHECK(Guarded([]() -> BOOL { throw std::bad_alloc(); }) == FALSE);
  bool ran = false;
  Guarded([&] {
    ran = true;
    throw 5;
  });
  CHECK(ran);
  REQUIRE(Handled.size() == 3);
  CHECK(Handled[0] == "range");
  CHECK(Handled[1] == "メモリが不足しています.");
  CHECK(Handled[2] == "不明な例外が発生しました.");

  TExceptionCapture scope;
  Guarded([] { throw EListError("list"); });
  CHECK(Handled.size() == 3);
  CHECK_THROWS_WITH_AS(scope.Rethrow(), "list", EListError);
}
