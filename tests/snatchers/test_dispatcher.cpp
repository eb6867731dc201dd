// The message event dispatcher: order, duplicates, flags, changes during a
// dispatch.
#include <doctest.h>

#include <memory>

#include "CallLog.h"

using namespace Orvik;

namespace {

constexpr UINT MsgA = WM_APP + 1;
constexpr UINT MsgB = WM_APP + 2;

bool Dispatch(TMessageEventDispatcher& D, UINT Msg, std::intptr_t WParam = 0, bool Handled = false,
              TObject* Sender = nullptr) {
  TMessage m;
  m.Msg = Msg;
  m.WParam = WParam;
  D.DispatchEvent(Sender, m, Handled);
  return Handled;
}

}  // namespace

TEST_CASE("handlers are called in registration order, each with its own flag and the dispatcher as Sender") {
  TMessageEventDispatcher d;
  TProbe a("a"), b("b"), c("c");
  a.Action = [](TObject*, TMessage&, bool& h) { h = true; };
  d.AddHandler(MsgA, a.Handler());
  d.AddHandler(MsgA, b.Handler());
  d.AddHandler(MsgA, c.Handler());
  TProbe other("other");

  Log().Clear();
  CHECK(Dispatch(d, MsgA, 7, false, &other));
  CHECK_CALLS({"a", MsgA, 7}, {"b", MsgA, 7}, {"c", MsgA, 7});
  // a set its flag; b and c still started with theirs false.
  CHECK(b.FlagsOnEntry == std::vector<bool>{false});
  CHECK(c.FlagsOnEntry == std::vector<bool>{false});
  for (TProbe* p : {&a, &b, &c}) CHECK(p->Senders == std::vector<TObject*>{&d});
}

TEST_CASE("Handled is only ever set") {
  TMessageEventDispatcher d;
  TProbe quiet("quiet"), setter("setter");
  setter.Action = [](TObject*, TMessage&, bool& h) { h = true; };
  d.AddHandler(MsgA, quiet.Handler());
  d.AddHandler(MsgB, setter.Handler());
  d.AddHandler(WM_DESTROY, setter.Handler());

  struct Case {
    UINT msg;
    bool on_entry;
    bool on_return;
  };
  const Case cases[] = {
      {MsgA, false, false},          // no handler sets its flag
      {MsgA, true, true},            // true stays true
      {MsgB, false, true},           // a handler sets it
      {MsgB, true, true},
      {WM_APP + 99, false, false},   // no registration: nothing called
      {WM_APP + 99, true, true},
  };
  for (const Case& k : cases) {
    CAPTURE(k.msg);
    CAPTURE(k.on_entry);
    Log().Clear();
    CHECK(Dispatch(d, k.msg, 0, k.on_entry) == k.on_return);
  }
  // The WM_DESTROY registration was never called for another number.
  CHECK(setter.Senders.size() == 2);
}

TEST_CASE("duplicates are called once per registration and deleted together") {
  TMessageEventDispatcher d;
  TProbe a("a"), b("b");
  d.AddHandler(MsgA, a.Handler());
  d.AddHandler(MsgA, b.Handler());
  d.AddHandler(MsgA, a.Handler());
  CHECK(d.HandlerCount(MsgA) == 3);
  Log().Clear();
  Dispatch(d, MsgA);
  CHECK_CALLS({"a", MsgA, 0}, {"b", MsgA, 0}, {"a", MsgA, 0});

  // Deleting what is not registered, or under another number, changes nothing.
  TProbe never("never");
  d.DeleteHandler(MsgA, never.Handler());
  d.DeleteHandler(MsgB, a.Handler());
  d.DeleteHandler(WM_APP + 50, a.Handler());
  Dispatch(d, MsgA);
  CHECK_CALLS({"a", MsgA, 0}, {"b", MsgA, 0}, {"a", MsgA, 0});

  // One deletion removes both copies and keeps the order of the rest.
  d.DeleteHandler(MsgA, a.Handler());
  CHECK(d.HandlerCount(MsgA) == 1);
  Dispatch(d, MsgA);
  CHECK_CALLS({"b", MsgA, 0});

  // Emptied: like a number that never had a registration.
  d.DeleteHandler(MsgA, b.Handler());
  CHECK(d.HandlerCount(MsgA) == 0);
  CHECK_FALSE(Dispatch(d, MsgA));
  CHECK_CALLS();

  // Added again: at the end, in the new order.
  d.AddHandler(MsgA, b.Handler());
  d.AddHandler(MsgA, a.Handler());
  Dispatch(d, MsgA);
  CHECK_CALLS({"b", MsgA, 0}, {"a", MsgA, 0});
}

TEST_CASE("one method bound to two objects makes two registrations") {
  TMessageEventDispatcher d;
  TProbe first("first"), second("second");
  CHECK_FALSE(first.Handler() == second.Handler());
  d.AddHandler(MsgA, second.Handler());
  d.AddHandler(MsgA, first.Handler());
  Log().Clear();
  Dispatch(d, MsgA);
  CHECK_CALLS({"second", MsgA, 0}, {"first", MsgA, 0});
  d.DeleteHandler(MsgA, second.Handler());
  Dispatch(d, MsgA);
  CHECK_CALLS({"first", MsgA, 0});
}

TEST_CASE("a handler's change of the message is seen by the handlers after it") {
  TMessageEventDispatcher d;
  TProbe a("a"), b("b"), c("c");
  a.Action = [](TObject*, TMessage& m, bool&) { m.WParam = 40; };
  b.Action = [](TObject*, TMessage& m, bool&) {
    m.WParam += 2;
    m.Result = 9;
  };
  for (TProbe* p : {&a, &b, &c}) d.AddHandler(MsgA, p->Handler());
  TMessage m;
  m.Msg = MsgA;
  m.WParam = 1;
  bool handled = false;
  Log().Clear();
  d.DispatchEvent(nullptr, m, handled);
  CHECK_CALLS({"a", MsgA, 1}, {"b", MsgA, 40}, {"c", MsgA, 42});
  CHECK(m.WParam == 42);
  CHECK(m.Result == 9);
}

TEST_CASE("an exception from a handler ends the dispatch and reaches the caller") {
  TMessageEventDispatcher d;
  TProbe a("a"), thrower("thrower"), c("c");
  thrower.Action = [](TObject*, TMessage&, bool& h) {
    h = true;
    throw Vcl::Exception("ハンドラの失敗.");
  };
  for (TProbe* p : {&a, &thrower, &c}) d.AddHandler(MsgA, p->Handler());
  TMessage m;
  m.Msg = MsgA;
  bool handled = false;
  Log().Clear();
  CHECK_THROWS_WITH_AS(d.DispatchEvent(nullptr, m, handled), "ハンドラの失敗.", Vcl::Exception);
  CHECK_CALLS({"a", MsgA, 0}, {"thrower", MsgA, 0});
  CHECK_FALSE(handled);
  // The dispatcher is intact afterwards.
  thrower.Action = nullptr;
  Dispatch(d, MsgA);
  CHECK_CALLS({"a", MsgA, 0}, {"thrower", MsgA, 0}, {"c", MsgA, 0});
}

TEST_CASE("an unassigned handler is refused") {
  TMessageEventDispatcher d;
  CHECK_THROWS_AS(d.AddHandler(MsgA, TMessageEventHandler()), Vcl::EInvalidOperation);
  CHECK(d.HandlerCount(MsgA) == 0);
}

// Registrations present when a dispatch starts and not deleted before their
// turn are called once, in order; deleted ones are not called after their
// deletion; ones added are called from the next dispatch on.
TEST_CASE("handlers that add and delete registrations of the message being dispatched") {
  struct Case {
    const char* name;
    std::function<void(TMessageEventDispatcher&, TProbe& a, TProbe& b, TProbe& c, TProbe& x)> inA;
    std::string first;   // calls of the dispatch in which a acts
    std::string second;  // calls of the next dispatch (a acts no more)
  };
  const Case cases[] = {
      {"a deletes a later one",
       [](auto& d, auto&, auto&, auto& c, auto&) { d.DeleteHandler(MsgA, c.Handler()); },
       TCallLog::Text({{"a", MsgA}, {"b", MsgA}}), TCallLog::Text({{"a", MsgA}, {"b", MsgA}})},
      {"a deletes itself",
       [](auto& d, auto& a, auto&, auto&, auto&) { d.DeleteHandler(MsgA, a.Handler()); },
       TCallLog::Text({{"a", MsgA}, {"b", MsgA}, {"c", MsgA}}), TCallLog::Text({{"b", MsgA}, {"c", MsgA}})},
      {"a adds one",
       [](auto& d, auto&, auto&, auto&, auto& x) { d.AddHandler(MsgA, x.Handler()); },
       TCallLog::Text({{"a", MsgA}, {"b", MsgA}, {"c", MsgA}}),
       TCallLog::Text({{"a", MsgA}, {"b", MsgA}, {"c", MsgA}, {"x", MsgA}})},
      {"a deletes a later one and adds it again",
       [](auto& d, auto&, auto& b, auto&, auto&) {
         d.DeleteHandler(MsgA, b.Handler());
         d.AddHandler(MsgA, b.Handler());
       },
       TCallLog::Text({{"a", MsgA}, {"c", MsgA}}), TCallLog::Text({{"a", MsgA}, {"c", MsgA}, {"b", MsgA}})},
      {"a deletes everything",
       [](auto& d, auto& a, auto& b, auto& c, auto&) {
         for (TProbe* p : {&a, &b, &c}) d.DeleteHandler(MsgA, p->Handler());
       },
       TCallLog::Text({{"a", MsgA}}), TCallLog::Text({})},
      {"a dispatches the same number again, deleting c inside",
       [](auto& d, auto&, auto&, auto& c, auto&) {
         d.DeleteHandler(MsgA, c.Handler());
         Dispatch(d, MsgA, 1);  // a acts only once (see below)
       },
       TCallLog::Text({{"a", MsgA}, {"a", MsgA, 1}, {"b", MsgA, 1}, {"b", MsgA}}),
       TCallLog::Text({{"a", MsgA}, {"b", MsgA}})},
  };
  for (const Case& k : cases) {
    CAPTURE(k.name);
    TMessageEventDispatcher d;
    TProbe a("a"), b("b"), c("c"), x("x");
    bool acted = false;
    a.Action = [&](TObject*, TMessage&, bool&) {
      if (acted) return;
      acted = true;
      k.inA(d, a, b, c, x);
    };
    for (TProbe* p : {&a, &b, &c}) d.AddHandler(MsgA, p->Handler());
    Log().Clear();
    Dispatch(d, MsgA);
    CHECK(Log().Take() == k.first);
    Dispatch(d, MsgA);
    CHECK(Log().Take() == k.second);
  }
}

TEST_CASE("registrations of other numbers change at once during a dispatch") {
  TMessageEventDispatcher d;
  TProbe a("a"), b("b"), x("x");
  a.Action = [&](TObject*, TMessage&, bool&) {
    d.AddHandler(MsgB, x.Handler());
    Dispatch(d, MsgB);  // counts at once
    d.DeleteHandler(MsgB, b.Handler());
    Dispatch(d, MsgB);
  };
  d.AddHandler(MsgA, a.Handler());
  d.AddHandler(MsgB, b.Handler());
  Log().Clear();
  Dispatch(d, MsgA);
  CHECK_CALLS({"a", MsgA}, {"b", MsgB}, {"x", MsgB}, {"x", MsgB});
}

TEST_CASE("a handler that destroys its dispatcher ends the dispatch") {
  auto* d = new TMessageEventDispatcher;
  TProbe a("a"), b("b");
  a.Action = [&](TObject*, TMessage&, bool& h) {
    h = true;
    delete d;
  };
  d->AddHandler(MsgA, a.Handler());
  d->AddHandler(MsgA, b.Handler());
  Log().Clear();
  TMessage m;
  m.Msg = MsgA;
  bool handled = false;
  d->DispatchEvent(nullptr, m, handled);
  CHECK_CALLS({"a", MsgA});
  CHECK(handled);
}
