// Message snatchers on real forms and controls: the order of a message's
// way, Enabled, destruction, owners, and the control that changes or goes.
#include <doctest.h>

#include <memory>

#include "TestComponents.h"

using namespace Orvik;

namespace {

// A form owning one test control, both with windows.
struct TFormFixture {
  Vcl::TForm* Form;
  TTestControl* Panel;
  TFormFixture() : Form(new Vcl::TForm(nullptr)), Panel(new TTestControl(Form)) {
    Panel->SetName("Panel");
    Panel->SetParent(Form);
    Panel->SetBounds(4, 4, 80, 40);
    REQUIRE(Panel->Handle());
  }
  ~TFormFixture() { Form->Free(); }
  TFormFixture(const TFormFixture&) = delete;
  TFormFixture& operator=(const TFormFixture&) = delete;
};

void HandleIf(TProbe& P, std::intptr_t WParam) {
  P.Action = [WParam](TObject*, TMessage& m, bool& h) {
    if (m.WParam == WParam) h = true;
  };
}

}  // namespace

TEST_CASE("a message goes to the registered handlers, then OnMessage, then the window") {
  TProbe first("first"), second("second"), onMessage("OnMessage");
  TFormFixture f;
  ProbeWindow("window", f.Panel);
  auto* s = new TControlMessageSnatcher(f.Form);
  s->SetControl(f.Panel);
  CHECK((CurrentProc(f.Panel->Handle()) == s->Subclass()->HookProc()));
  s->Dispatcher()->AddHandler(WM_APP, first.Handler());
  s->Dispatcher()->AddHandler(WM_APP, second.Handler());
  s->OnMessage = onMessage.Handler();
  HandleIf(first, 1);      // a handler handles 1
  HandleIf(onMessage, 2);  // OnMessage handles 2

  Log().Clear();
  CHECK(Send(f.Panel->Handle(), WM_APP, 0) == 0x100);
  CHECK(Send(f.Panel->Handle(), WM_APP, 1) == 0);
  CHECK(Send(f.Panel->Handle(), WM_APP, 2) == 0);
  CHECK_CALLS({"first", WM_APP, 0}, {"second", WM_APP, 0}, {"OnMessage", WM_APP, 0}, {"window", WM_APP, 0},
              {"first", WM_APP, 1}, {"second", WM_APP, 1},
              {"first", WM_APP, 2}, {"second", WM_APP, 2}, {"OnMessage", WM_APP, 2});
  // Handlers hear of the dispatcher, OnMessage of the subclass.
  CHECK(first.Senders.back() == s->Dispatcher());
  CHECK(onMessage.Senders.back() == s->Subclass());

  // A message nobody registered for: only OnMessage and the window.
  CHECK(Send(f.Panel->Handle(), WM_APP + 1, 5) == 0);
  CHECK_CALLS({"OnMessage", WM_APP + 1, 5}, {"window", WM_APP + 1, 5});
}

TEST_CASE("a disabled snatcher passes everything on untouched but stays hooked") {
  TProbe handler("handler"), onMessage("OnMessage");
  TFormFixture f;
  ProbeWindow("window", f.Panel);
  auto* s = new TControlMessageSnatcher(f.Form);
  s->SetControl(f.Panel);
  s->Dispatcher()->AddHandler(WM_APP, handler.Handler());
  s->OnMessage = onMessage.Handler();
  CHECK(s->Enabled());
  s->SetEnabled(false);
  Log().Clear();
  CHECK(Send(f.Panel->Handle(), WM_APP, 3) == 0x103);
  CHECK_CALLS({"window", WM_APP, 3});
  CHECK((CurrentProc(f.Panel->Handle()) == s->Subclass()->HookProc()));
  s->SetEnabled(true);
  Send(f.Panel->Handle(), WM_APP, 4);
  CHECK_CALLS({"handler", WM_APP, 4}, {"OnMessage", WM_APP, 4}, {"window", WM_APP, 4});
}

TEST_CASE("the window's own WM_DESTROY reaches the handlers and OnMessage before the window") {
  TProbe handler("handler"), onMessage("OnMessage");
  TFormFixture f;
  ProbeWindow("window", f.Panel);
  auto* s = new TControlMessageSnatcher(f.Form);
  s->SetControl(f.Panel);
  s->Dispatcher()->AddHandler(WM_DESTROY, handler.Handler());
  s->OnMessage = onMessage.Handler();
  Log().Clear();
  f.Panel->DestroyHandle();
  CHECK_CALLS({"handler", WM_DESTROY}, {"OnMessage", WM_DESTROY}, {"window", WM_DESTROY}, {"window", WM_NCDESTROY});
  // Nothing hooked now; Control still names the control.
  CHECK(s->Subclass()->Handle() == nullptr);
  CHECK(s->Control() == f.Panel);
  // Its new window is not hooked until Control is set again.
  HWND fresh = f.Panel->Handle();
  Send(fresh, WM_APP, 1);
  CHECK_CALLS({"window", WM_APP, 1});
  s->SetControl(f.Panel);
  Send(fresh, WM_APP, 2);
  CHECK_CALLS({"OnMessage", WM_APP, 2}, {"window", WM_APP, 2});
}

TEST_CASE("destroying a snatcher tells every WM_DESTROY registration, even when disabled") {
  for (bool enabled : {true, false}) {
    CAPTURE(enabled);
    TProbe a("a"), b("b"), app("app"), onMessage("OnMessage");
    TFormFixture f;
    ProbeWindow("window", f.Panel);
    auto* s = new TControlMessageSnatcher(f.Form);
    s->SetControl(f.Panel);
    TMessageEventDispatcher* d = s->Dispatcher();
    d->AddHandler(WM_DESTROY, a.Handler());
    d->AddHandler(WM_APP, app.Handler());
    d->AddHandler(WM_DESTROY, b.Handler());
    s->OnMessage = onMessage.Handler();
    std::intptr_t lParam = -1;
    b.Action = [&](TObject*, TMessage& m, bool&) { lParam = m.LParam; };
    s->SetEnabled(enabled);
    Log().Clear();
    s->Free();
    CHECK_CALLS({"a", WM_DESTROY, 0}, {"b", WM_DESTROY, 0});
    CHECK(lParam == 0);
    CHECK(a.Senders.back() == d);
    // The control's window has its procedure back.
    Send(f.Panel->Handle(), WM_APP, 1);
    CHECK_CALLS({"window", WM_APP, 1});
    CHECK(f.Form->ComponentCount() == 1);
  }
}

TEST_CASE("a form snatcher hooks the window of the form that owns it") {
  auto* form = new TPlainCustomForm(nullptr);  // any custom form will do
  ProbeWindow("form", form);
  auto* s = new TFormMessageSnatcher(form);
  HWND wnd = form->Handle();
  CHECK(s->Subclass()->Handle() == wnd);
  CHECK(s->Subclass()->WinControl() == nullptr);  // by handle
  TProbe onMessage("OnMessage");
  s->OnMessage = onMessage.Handler();
  Log().Clear();
  CHECK(Send(wnd, WM_APP, 6) == 0x106);
  CHECK_CALLS({"OnMessage", WM_APP, 6}, {"form", WM_APP, 6});
  WNDPROC hook = s->Subclass()->HookProc();
  s->Free();
  CHECK_FALSE((CurrentProc(wnd) == hook));
  Send(wnd, WM_APP, 7);
  CHECK_CALLS({"form", WM_APP, 7});
  form->Free();
}

TEST_CASE("snatchers refuse owners that are not what they hook") {
  auto* form = new Vcl::TForm(nullptr);
  auto* custom = new TPlainCustomForm(nullptr);
  auto* plain = new Vcl::TComponent(nullptr);
  struct Case {
    const char* name;
    std::function<void()> make;
    const char* message;
  };
  const Case cases[] = {
      {"form snatcher without owner", [] { new TFormMessageSnatcher(nullptr); }, "オーナーがフォームではありません."},
      {"form snatcher owned by a component", [&] { new TFormMessageSnatcher(plain); },
       "オーナーがフォームではありません."},
      {"MDI snatcher without owner", [] { new TMDIFormClientMessageSnatcher(nullptr); },
       "オーナーがフォームではありません."},
      {"MDI snatcher owned by a custom form", [&] { new TMDIFormClientMessageSnatcher(custom); },
       "オーナーがフォームではありません."},
      {"MDI snatcher owned by a normal form", [&] { new TMDIFormClientMessageSnatcher(form); },
       "フォームは MDIForm ではありません."},
  };
  for (const Case& k : cases) {
    CAPTURE(k.name);
    CHECK_THROWS_WITH_AS(k.make(), k.message, Vcl::Exception);
  }
  // The failed snatchers were released: nothing is left in the owners.
  CHECK(form->ComponentCount() == 0);
  CHECK(custom->ComponentCount() == 0);
  CHECK(plain->ComponentCount() == 0);
  CHECK_FALSE(form->HandleAllocated());
  form->Free();
  custom->Free();
  plain->Free();
}

TEST_CASE("an MDI client snatcher hooks the client window of its MDI form") {
  auto* form = new Vcl::TForm(nullptr);
  form->SetFormStyle(Vcl::fsMDIForm);
  CHECK_FALSE(form->HandleAllocated());
  // Made with its form's windows not there yet: they are made first.
  auto* s = new TMDIFormClientMessageSnatcher(form);
  HWND client = form->ClientHandle();
  REQUIRE(client);
  CHECK(s->Subclass()->Handle() == client);
  TProbe handler("handler"), onMessage("OnMessage");
  s->Dispatcher()->AddHandler(WM_APP, handler.Handler());
  s->OnMessage = onMessage.Handler();
  HandleIf(handler, 1);
  Log().Clear();
  Send(client, WM_APP, 0);
  Send(client, WM_APP, 1);
  CHECK_CALLS({"handler", WM_APP, 0}, {"OnMessage", WM_APP, 0}, {"handler", WM_APP, 1});
  // The form's window is not hooked, the client's only.
  Send(form->Handle(), WM_APP, 2);
  CHECK_CALLS();
  // The client goes with the form; the snatcher hooks nothing afterwards.
  form->DestroyHandle();
  CHECK(s->Subclass()->Handle() == nullptr);
  form->Free();
}

TEST_CASE("changing Control gives the first control's window back before the second is hooked") {
  TProbe onMessage("OnMessage");
  TFormFixture f;
  auto* other = new TTestControl(f.Form);
  other->SetParent(f.Form);
  ProbeWindow("panel", f.Panel);
  ProbeWindow("other", other);
  auto* s = new TControlMessageSnatcher(f.Form);
  s->OnMessage = onMessage.Handler();
  s->SetControl(f.Panel);
  WNDPROC panelOwn = s->Subclass()->OldProc();
  s->SetControl(other);
  CHECK(s->Control() == other);
  CHECK((CurrentProc(f.Panel->Handle()) == panelOwn));
  CHECK((CurrentProc(other->Handle()) == s->Subclass()->HookProc()));
  Log().Clear();
  Send(f.Panel->Handle(), WM_APP, 1);
  Send(other->Handle(), WM_APP, 2);
  CHECK_CALLS({"panel", WM_APP, 1}, {"OnMessage", WM_APP, 2}, {"other", WM_APP, 2});
  s->SetControl(nullptr);
  CHECK(s->Control() == nullptr);
  CHECK(s->Subclass()->Handle() == nullptr);
}

TEST_CASE("a control of another owner that is destroyed is forgotten") {
  TFormFixture f;
  auto* otherForm = new Vcl::TForm(nullptr);
  auto* foreign = new TTestControl(otherForm);
  foreign->SetParent(otherForm);
  auto* s = new TControlMessageSnatcher(f.Form);
  s->SetControl(foreign);
  REQUIRE(s->Subclass()->Handle() == foreign->Handle());
  foreign->Free();
  CHECK(s->Control() == nullptr);
  CHECK(s->Subclass()->Handle() == nullptr);
  otherForm->Free();
}

TEST_CASE("a control of the same owner that is destroyed is forgotten through the owner") {
  TFormFixture f;
  auto* s = new TControlMessageSnatcher(f.Form);
  s->SetControl(f.Panel);
  f.Panel->Free();
  CHECK(s->Control() == nullptr);
  CHECK(s->Subclass()->Handle() == nullptr);
}

TEST_CASE("a control whose window cannot be made leaves the snatcher unhooked, naming the earlier control") {
  TFormFixture f;
  auto* broken = new TTestControl(f.Form);
  broken->SetParent(f.Form);
  broken->DestroyHandle();  // made again when asked for: and that fails
  broken->FailCreate = true;
  auto* s = new TControlMessageSnatcher(f.Form);
  s->SetControl(f.Panel);
  WNDPROC panelOwn = s->Subclass()->OldProc();
  CHECK_THROWS_AS(s->SetControl(broken), Vcl::EOSError);
  CHECK(s->Control() == f.Panel);
  CHECK(s->Subclass()->Handle() == nullptr);
  CHECK((CurrentProc(f.Panel->Handle()) == panelOwn));
}

TEST_CASE("a hooked control destroyed under a subclass: the subclass lets it go at its WM_DESTROY") {
  TProbe probe("sub");
  TFormFixture f;
  ProbeWindow("window", f.Panel);
  TWindowSubclass sub;
  probe.Action = [&](TObject*, TMessage& m, bool&) {
    if (m.Msg == WM_DESTROY) CHECK(sub.WinControl() == f.Panel);
  };
  sub.OnWindowMessage = probe.Handler();
  sub.SetWinControl(f.Panel);
  CHECK(sub.WinControl() == f.Panel);
  CHECK(sub.Handle() == f.Panel->Handle());
  Log().Clear();
  f.Panel->Free();
  // The control's own processing saw the end of its window after the hook.
  CHECK_CALLS({"sub", WM_DESTROY}, {"window", WM_DESTROY}, {"window", WM_NCDESTROY});
  CHECK(sub.Handle() == nullptr);
  CHECK(sub.WinControl() == nullptr);
}

TEST_CASE("a notification proxy passes removals on to its closure") {
  auto* proxy = new TNotificationProxy;
  CHECK(proxy->Owner() == nullptr);
  auto* form = new Vcl::TForm(nullptr);
  auto* watched = new TTestControl(form);
  auto* other = new TTestControl(form);
  std::vector<std::pair<Vcl::TComponent*, Vcl::TOperation>> seen;
  struct TSink : TObject {
    std::vector<std::pair<Vcl::TComponent*, Vcl::TOperation>>* Seen;
    void Told(Vcl::TComponent* C, Vcl::TOperation Op) { Seen->push_back({C, Op}); }
  } sink;
  sink.Seen = &seen;
  watched->FreeNotification(proxy);
  other->FreeNotification(proxy);
  other->Free();  // without OnNotification: the default handling only
  CHECK(seen.empty());
  proxy->OnNotification = Vcl::Closure<void(Vcl::TComponent*, Vcl::TOperation)>::Bind<&TSink::Told>(&sink);
  watched->Free();
  REQUIRE(seen.size() == 1);
  CHECK(seen[0].first == watched);
  CHECK(seen[0].second == Vcl::opRemove);
  form->Free();
  proxy->Free();
}
