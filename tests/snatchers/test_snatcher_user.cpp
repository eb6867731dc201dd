// The snatcher user: loading, switching on and off, the two modes, and the
// ends of its window, its snatcher and itself.
#include <doctest.h>

#include "Filer.h"
#include "TestComponents.h"

using namespace Orvik;

namespace {

const char* const UserFormText =
    "object UserForm: TUserForm\n"
    "  Width = 300\n"
    "  Height = 200\n"
    "  object Panel1: TTestControl\n"
    "    Left = 8\n"
    "    Top = 8\n"
    "    Width = 120\n"
    "    Height = 60\n"
    "  end\n"
    "  object Snatcher1: TControlMessageSnatcher\n"
    "    Control = Panel1\n"
    "    OnMessage = Snatcher1Message\n"
    "  end\n"
    "  object User1: TTestUser\n"
    "    Active = True\n"
    "    Control = Panel1\n"
    "  end\n"
    "  object User2: TTestUser\n"
    "    Active = True\n"
    "    MessageSnatcher = Snatcher1\n"
    "  end\n"
    "end\n";

// A form with a control, a snatcher on it, and users made in code.
struct TUsers {
  Vcl::TForm* Form;
  TTestControl* Panel;
  TControlMessageSnatcher* Snatcher;
  TUsers()
      : Form(new Vcl::TForm(nullptr)), Panel(MakePanel(Form)), Snatcher(new TControlMessageSnatcher(Form)) {
    ProbeWindow("window", Panel);
    Snatcher->SetName("Snatcher");
    Snatcher->SetControl(Panel);
  }
  ~TUsers() { Form->Free(); }
  TUsers(const TUsers&) = delete;
  TUsers& operator=(const TUsers&) = delete;

  static TTestControl* MakePanel(Vcl::TForm* Form) {
    auto* p = new TTestControl(Form);
    p->SetName("Panel");
    p->SetParent(Form);
    p->SetBounds(4, 4, 80, 40);
    p->HandleNeeded();
    return p;
  }
  // A user read as from a form resource: its handlers get defined.
  TTestUser* Loaded(const char* Name, bool Active, TCustomMessageSnatcher* S, Vcl::TWinControl* C) {
    auto* u = new TTestUser(Form);
    u->SetName(Name);
    u->SetComponentState(Vcl::csLoading, true);
    u->SetActive(Active);
    if (S) u->SetSnatcher(S);
    if (C) u->SetControl(C);
    u->Loaded();
    return u;
  }
};

}  // namespace

TEST_CASE("users loaded from a form resource, one on a control, one on a snatcher") {
  auto* form = new TUserForm(nullptr);
  Log().Clear();
  Vcl::ReadComponentText(UserFormText, form);
  REQUIRE(form->User1);
  REQUIRE(form->User2);
  TTestUser* u1 = form->User1;
  TTestUser* u2 = form->User2;
  // Each defined its handlers once and was switched on once, in read order.
  CHECK_CALLS({"User1.on"}, {"User2.on"});
  CHECK(u1->Defines == 1);
  CHECK(u2->Defines == 1);
  CHECK(u1->Active());
  CHECK(u2->Active());
  CHECK(u1->Control() == form->Panel1);
  CHECK(u2->MessageSnatcher() == form->Snatcher1);
  HWND panel = form->Panel1->Handle();
  CHECK(u1->GetHandle() == panel);
  CHECK(u2->GetHandle() == panel);
  CHECK(u1->GetSubclass()->Handle() == panel);
  CHECK(u2->GetSubclass() == form->Snatcher1->Subclass());
  CHECK(u2->GetDispatcher() == form->Snatcher1->Dispatcher());
  // User1 hooked the window after the snatcher did: it sees messages first.
  CHECK((CurrentProc(panel) == u1->GetSubclass()->HookProc()));
  ProbeWindow("Panel1", form->Panel1);
  CHECK(Send(panel, WM_APP, 3) == 0x103);
  CHECK_CALLS({"User1", WM_APP, 3}, {"User2", WM_APP, 3}, {"OnMessage", WM_APP, 3}, {"Panel1", WM_APP, 3});
  CHECK(u1->Senders.back() == u1->GetDispatcher());
  CHECK(u2->Senders.back() == form->Snatcher1->Dispatcher());
  // One registration under WM_APP each, and two under WM_DESTROY.
  CHECK(form->Snatcher1->Dispatcher()->HandlerCount(WM_APP) == 1);
  CHECK(form->Snatcher1->Dispatcher()->HandlerCount(WM_DESTROY) == 2);
  form->Free();
}

TEST_CASE("the control's window destroyed while active switches both users off") {
  auto* form = new TUserForm(nullptr);
  Vcl::ReadComponentText(UserFormText, form);
  TTestUser* u1 = form->User1;
  TTestUser* u2 = form->User2;
  HWND panel = form->Panel1->Handle();
  const WNDPROC u1Hook = u1->GetSubclass()->HookProc();
  ProbeWindow("Panel1", form->Panel1);
  Log().Clear();
  form->Panel1->DestroyHandle();
  // Each user is switched off (its window still answering) before its own
  // WM_DESTROY handler runs, which finds it off and unbound.
  CHECK_CALLS({"User1.off"}, {"User1.destroy", WM_DESTROY}, {"User2.off"}, {"User2.destroy", WM_DESTROY},
              {"OnMessage", WM_DESTROY}, {"Panel1", WM_DESTROY}, {"Panel1", WM_NCDESTROY});
  CHECK(u1->HandlesAtActivate.back() == panel);
  CHECK(u2->HandlesAtActivate.back() == panel);
  for (TTestUser* u : {u1, u2}) {
    CHECK_FALSE(u->Active());
    CHECK(u->Control() == nullptr);
    CHECK(u->MessageSnatcher() == nullptr);
    REQUIRE(u->SeenAtDestroy.size() == 1);
    CHECK_FALSE(u->SeenAtDestroy[0].Active);
    CHECK_FALSE(u->SeenAtDestroy[0].Snatcher);
    CHECK_FALSE(u->SeenAtDestroy[0].Control);
  }
  CHECK(u1->GetSubclass() == nullptr);
  // The snatcher's dispatcher let go of User2's registrations.
  CHECK(form->Snatcher1->Dispatcher()->HandlerCount(WM_APP) == 0);
  CHECK(form->Snatcher1->Dispatcher()->HandlerCount(WM_DESTROY) == 0);
  // The new window is nobody's: the snatcher hooked again reaches no user.
  HWND fresh = form->Panel1->Handle();
  CHECK_FALSE((CurrentProc(fresh) == u1Hook));
  form->Snatcher1->SetControl(form->Panel1);
  Send(fresh, WM_APP, 1);
  CHECK_CALLS({"OnMessage", WM_APP, 1}, {"Panel1", WM_APP, 1});
  // Bound and switched on again, each works as before.
  u1->SetControl(form->Panel1);
  u2->SetSnatcher(form->Snatcher1);
  u1->SetActive(true);
  u2->SetActive(true);
  Send(fresh, WM_APP, 2);
  CHECK_CALLS({"User1.on"}, {"User2.on"}, {"User1", WM_APP, 2}, {"User2", WM_APP, 2}, {"OnMessage", WM_APP, 2},
              {"Panel1", WM_APP, 2});
  form->Free();
}

TEST_CASE("DoActivate is called exactly when Active changes") {
  TUsers t;
  TTestUser* u = t.Loaded("U", false, t.Snatcher, nullptr);
  struct Step {
    bool value;
    std::string calls;
  };
  const Step steps[] = {
      {false, TCallLog::Text({})},           // already off
      {true, TCallLog::Text({{"U.on"}})},
      {true, TCallLog::Text({})},            // already on: nothing doubled
      {false, TCallLog::Text({{"U.off"}})},
      {true, TCallLog::Text({{"U.on"}})},
  };
  Log().Clear();
  for (const Step& s : steps) {
    CAPTURE(s.value);
    u->SetActive(s.value);
    CHECK(u->Active() == s.value);
    CHECK(Log().Take() == s.calls);
    CHECK(t.Snatcher->Dispatcher()->HandlerCount(WM_APP) == (s.value ? 1 : 0));
  }
  CHECK(u->Defines == 1);
}

TEST_CASE("switching on needs a snatcher or a control") {
  TUsers t;
  TTestUser* u = t.Loaded("U", false, nullptr, nullptr);
  Log().Clear();
  CHECK_THROWS_WITH_AS(u->SetActive(true), "MessageSnatcher か Control を設定して下さい.", Vcl::Exception);
  CHECK_FALSE(u->Active());
  CHECK_CALLS();
  CHECK(u->GetHandle() == nullptr);
  CHECK(u->GetSubclass() == nullptr);
  CHECK(u->GetDispatcher() == nullptr);
}

TEST_CASE("Active in the resource without snatcher or control: no error, nothing hooked, DoActivate all the same") {
  TUsers t;
  Log().Clear();
  TTestUser* u = t.Loaded("U", true, nullptr, nullptr);
  CHECK_CALLS({"U.on"});
  CHECK(u->Active());
  CHECK(u->GetHandle() == nullptr);
}

TEST_CASE("snatcher and control are refused while active and exclude each other") {
  TUsers t;
  TTestUser* u = t.Loaded("U", false, nullptr, nullptr);
  u->SetSnatcher(t.Snatcher);
  u->SetControl(t.Panel);
  CHECK(u->MessageSnatcher() == nullptr);
  CHECK(u->Control() == t.Panel);
  u->SetSnatcher(t.Snatcher);
  CHECK(u->Control() == nullptr);
  CHECK(u->MessageSnatcher() == t.Snatcher);
  u->SetActive(true);
  CHECK_THROWS_WITH_AS(u->SetControl(t.Panel), "コンポーネントがアクティブです.", Vcl::Exception);
  CHECK_THROWS_WITH_AS(u->SetSnatcher(nullptr), "コンポーネントがアクティブです.", Vcl::Exception);
  CHECK(u->MessageSnatcher() == t.Snatcher);
  CHECK(u->Control() == nullptr);
  // While loading the setters are not refused.
  u->SetComponentState(Vcl::csLoading, true);
  u->SetControl(t.Panel);
  CHECK(u->Control() == t.Panel);
  u->SetComponentState(Vcl::csLoading, false);
}

TEST_CASE("users of one snatcher: registration order, switching off and on, Handled") {
  TProbe onMessage("OnMessage");
  TUsers t;
  t.Snatcher->OnMessage = onMessage.Handler();
  TTestUser* a = t.Loaded("A", true, t.Snatcher, nullptr);
  TTestUser* b = t.Loaded("B", true, t.Snatcher, nullptr);
  HWND wnd = t.Panel->Handle();
  Log().Clear();
  Send(wnd, WM_APP, 1);
  CHECK_CALLS({"A", WM_APP, 1}, {"B", WM_APP, 1}, {"OnMessage", WM_APP, 1}, {"window", WM_APP, 1});
  // A switched off and on again moves behind B.
  a->SetActive(false);
  CHECK(t.Snatcher->Dispatcher()->HandlerCount(WM_APP) == 1);
  Send(wnd, WM_APP, 2);
  a->SetActive(true);
  Send(wnd, WM_APP, 3);
  CHECK_CALLS({"A.off"}, {"B", WM_APP, 2}, {"OnMessage", WM_APP, 2}, {"window", WM_APP, 2}, {"A.on"},
              {"B", WM_APP, 3}, {"A", WM_APP, 3}, {"OnMessage", WM_APP, 3}, {"window", WM_APP, 3});
  // The first one handles: the second is still called, OnMessage and the
  // window are not.
  b->OnApp = [](TObject*, TMessage&, bool& h) { h = true; };
  Send(wnd, WM_APP, 4);
  CHECK_CALLS({"B", WM_APP, 4}, {"A", WM_APP, 4});
}

TEST_CASE("users on one control: the last switched on sees each message first") {
  TUsers t;
  t.Snatcher->SetControl(nullptr);
  TTestUser* a = t.Loaded("A", true, nullptr, t.Panel);
  TTestUser* b = t.Loaded("B", true, nullptr, t.Panel);
  HWND wnd = t.Panel->Handle();
  Log().Clear();
  Send(wnd, WM_APP, 1);
  CHECK_CALLS({"B", WM_APP, 1}, {"A", WM_APP, 1}, {"window", WM_APP, 1});
  b->OnApp = [](TObject*, TMessage& m, bool& h) { h = m.WParam == 2; };
  Send(wnd, WM_APP, 2);
  CHECK_CALLS({"B", WM_APP, 2});
  // Off and on again: A's handlers work again, and A is now first.
  a->SetActive(false);
  Send(wnd, WM_APP, 3);
  a->SetActive(true);
  Send(wnd, WM_APP, 4);
  CHECK_CALLS({"A.off"}, {"B", WM_APP, 3}, {"window", WM_APP, 3}, {"A.on"}, {"A", WM_APP, 4}, {"B", WM_APP, 4},
              {"window", WM_APP, 4});
  // Removing B, which is not the last hooked, keeps the chain whole.
  b->SetActive(false);
  Send(wnd, WM_APP, 5);
  a->SetActive(false);
  Send(wnd, WM_APP, 6);
  CHECK_CALLS({"B.off"}, {"A", WM_APP, 5}, {"window", WM_APP, 5}, {"A.off"}, {"window", WM_APP, 6});
  CHECK((CurrentProc(wnd) == t.Snatcher->Subclass()->OldProc()));
}

TEST_CASE("destroying the snatcher switches its active users off") {
  TUsers t;
  TTestUser* u = t.Loaded("U", true, t.Snatcher, nullptr);
  HWND wnd = t.Panel->Handle();
  Log().Clear();
  t.Snatcher->Free();
  CHECK_CALLS({"U.off"}, {"U.destroy", WM_DESTROY});
  CHECK(u->HandlesAtActivate.back() == wnd);  // still answered during DoActivate
  CHECK_FALSE(u->Active());
  CHECK(u->MessageSnatcher() == nullptr);
}

TEST_CASE("a disabled snatcher's window goes: users stay on until the snatcher goes") {
  TUsers t;
  TTestUser* u = t.Loaded("U", true, t.Snatcher, nullptr);
  t.Snatcher->SetEnabled(false);
  Log().Clear();
  t.Panel->DestroyHandle();
  CHECK_CALLS({"window", WM_DESTROY}, {"window", WM_NCDESTROY});
  CHECK(u->Active());
  CHECK(u->MessageSnatcher() == t.Snatcher);
  t.Snatcher->Free();
  CHECK_CALLS({"U.off"}, {"U.destroy", WM_DESTROY});
  CHECK_FALSE(u->Active());
}

TEST_CASE("an active user destroyed is switched off first") {
  SUBCASE("on a snatcher") {
    TUsers t;
    TTestUser* u = t.Loaded("U", true, t.Snatcher, nullptr);
    Log().Clear();
    u->Free();
    CHECK_CALLS({"U.off"});
    CHECK(t.Snatcher->Dispatcher()->HandlerCount(WM_APP) == 0);
    CHECK(t.Snatcher->Dispatcher()->HandlerCount(WM_DESTROY) == 0);
    Send(t.Panel->Handle(), WM_APP, 1);
    CHECK_CALLS({"window", WM_APP, 1});
  }
  SUBCASE("on a control") {
    TUsers t;
    WNDPROC before = CurrentProc(t.Panel->Handle());
    TTestUser* u = t.Loaded("U", true, nullptr, t.Panel);
    CHECK_FALSE((CurrentProc(t.Panel->Handle()) == before));
    Log().Clear();
    u->Free();
    CHECK_CALLS({"U.off"});
    CHECK((CurrentProc(t.Panel->Handle()) == before));
  }
}

TEST_CASE("the form's end: users, snatcher and control go without a stray call") {
  auto* form = new TUserForm(nullptr);
  Vcl::ReadComponentText(UserFormText, form);
  Log().Clear();
  form->Free();
  // The users are told once each; nothing calls a user after it is gone.
  const auto& calls = Log().Calls();
  int on = 0, off1 = 0, off2 = 0;
  for (const TCall& c : calls) {
    on += c.Who == "User1.on" || c.Who == "User2.on";
    off1 += c.Who == "User1.off";
    off2 += c.Who == "User2.off";
  }
  CHECK(on == 0);
  CHECK(off1 == 1);
  CHECK(off2 == 1);
  Log().Clear();
}

// Choices where the base leaves things open.

TEST_CASE("a user made at run time defines its handlers when first switched on, in either mode") {
  TUsers t;
  auto* c = new TTestUser(t.Form);
  c->SetName("C");
  auto* s = new TTestUser(t.Form);
  s->SetName("S");
  c->SetControl(t.Panel);
  s->SetSnatcher(t.Snatcher);
  Log().Clear();
  c->SetActive(true);
  s->SetActive(true);
  Send(t.Panel->Handle(), WM_APP, 1);
  CHECK_CALLS({"C.on"}, {"S.on"}, {"C", WM_APP, 1}, {"S", WM_APP, 1}, {"window", WM_APP, 1});
  // Off and on again: defined once, registered once.
  c->SetActive(false);
  c->SetActive(true);
  Send(t.Panel->Handle(), WM_APP, 2);
  CHECK_CALLS({"C.off"}, {"C.on"}, {"C", WM_APP, 2}, {"S", WM_APP, 2}, {"window", WM_APP, 2});
  CHECK(c->Defines == 1);
  CHECK(c->GetDispatcher()->HandlerCount(WM_APP) == 1);
  // Loaded inactive in Control mode, then switched on: its handlers work.
  TTestUser* late = t.Loaded("Late", false, nullptr, t.Panel);
  late->SetActive(true);
  Send(t.Panel->Handle(), WM_APP, 3);
  CHECK_CALLS({"Late.on"}, {"Late", WM_APP, 3}, {"C", WM_APP, 3}, {"S", WM_APP, 3}, {"window", WM_APP, 3});
}

TEST_CASE("an inactive user follows the end of its snatcher or control") {
  TUsers t;
  TTestUser* bySnatcher = t.Loaded("S", false, t.Snatcher, nullptr);
  TTestUser* byControl = t.Loaded("C", false, nullptr, t.Panel);
  auto* otherForm = new Vcl::TForm(nullptr);
  auto* foreign = new TTestControl(otherForm);
  foreign->SetParent(otherForm);
  TTestUser* byForeign = t.Loaded("F", false, nullptr, foreign);
  t.Snatcher->Free();
  t.Panel->Free();
  foreign->Free();
  CHECK(bySnatcher->MessageSnatcher() == nullptr);
  CHECK(byControl->Control() == nullptr);
  CHECK(byForeign->Control() == nullptr);
  CHECK(byForeign->GetHandle() == nullptr);
  otherForm->Free();
}

TEST_CASE("a user destroyed after its snatcher's window went away is never called again") {
  TUsers t;
  TTestUser* u = t.Loaded("U", true, t.Snatcher, nullptr);
  TTestUser* keep = t.Loaded("Keep", false, t.Snatcher, nullptr);
  t.Panel->DestroyHandle();
  CHECK_FALSE(u->Active());
  u->Free();
  keep->SetActive(true);
  Log().Clear();
  // The control's new window: the snatcher hooks it again.
  t.Snatcher->SetControl(t.Panel);
  Send(t.Panel->Handle(), WM_APP, 1);
  t.Snatcher->Free();
  CHECK_CALLS({"Keep", WM_APP, 1}, {"window", WM_APP, 1}, {"Keep.off"}, {"Keep.destroy", WM_DESTROY});
}

TEST_CASE("a user that cleared its definitions while registered is still taken out when destroyed") {
  TUsers t;
  TTestUser* u = t.Loaded("U", true, t.Snatcher, nullptr);
  u->ClearHandlerList();
  CHECK(u->HandlerList().empty());
  CHECK(t.Snatcher->Dispatcher()->HandlerCount(WM_APP) == 1);  // not deleted by clearing
  u->Free();
  CHECK(t.Snatcher->Dispatcher()->HandlerCount(WM_APP) == 0);
  CHECK(t.Snatcher->Dispatcher()->HandlerCount(WM_DESTROY) == 0);
  Log().Clear();
  Send(t.Panel->Handle(), WM_APP, 1);
  CHECK_CALLS({"window", WM_APP, 1});
}

TEST_CASE("a user switched off from inside its own handler") {
  TUsers t;
  TTestUser* a = t.Loaded("A", true, t.Snatcher, nullptr);
  TTestUser* b = t.Loaded("B", true, t.Snatcher, nullptr);
  a->OnApp = [&](TObject*, TMessage&, bool&) {
    a->SetActive(false);
    b->SetActive(false);  // deleted before its turn: not called
  };
  Log().Clear();
  Send(t.Panel->Handle(), WM_APP, 1);
  CHECK_CALLS({"A", WM_APP, 1}, {"A.off"}, {"B.off"}, {"window", WM_APP, 1});
  CHECK(t.Snatcher->Dispatcher()->HandlerCount(WM_APP) == 0);
}

TEST_CASE("a control whose window cannot be made: the user stays off") {
  TUsers t;
  auto* broken = new TTestControl(t.Form);
  broken->SetParent(t.Form);
  broken->DestroyHandle();  // made again when asked for: and that fails
  broken->FailCreate = true;
  TTestUser* u = t.Loaded("U", false, nullptr, broken);
  Log().Clear();
  CHECK_THROWS_AS(u->SetActive(true), Vcl::EOSError);
  CHECK_FALSE(u->Active());
  CHECK_CALLS();
  CHECK(u->GetSubclass()->Handle() == nullptr);
}
