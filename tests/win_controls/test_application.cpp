// The application object: its window, the error box, and Run with the
// main form.
#include <doctest.h>

#include <vector>

#include "Forms.h"
#include "Menus.h"
#include "TestApp.h"
#include "WinTestKit.h"
#include "WinText.h"

#undef RegisterClass

using namespace Vcl;

namespace {

// The error box for Text, as the driver saw it.
TestKit::TDialogSeen ErrorBoxFor(const AnsiString& Text) {
  TestKit::DialogDriver driver;
  driver.Expect("Pelmora").Press(IDOK);
  Exception e(Text);
  Application->ShowException(&e);
  REQUIRE(driver.Seen().size() == 1);
  CHECK(driver.AllDone());
  return driver.Seen()[0];
}

int ButtonCount(const TestKit::TDialogSeen& Seen) {
  int n = 0;
  for (const auto& c : Seen.Controls)
    if (SameText(c.ClassName, "Button") && c.Visible) ++n;
  return n;
}

}  // namespace

TEST_CASE("Application: the title names the program and its hidden window") {
  Application->Initialize();
  HWND wnd = Application->Handle();
  REQUIRE(IsWindow(wnd));
  CHECK_FALSE(IsWindowVisible(wnd));
  Application->SetTitle("Pelmora");
  CHECK(Application->Title() == "Pelmora");
  CHECK(GetWindowTextAnsi(wnd) == "Pelmora");
  Application->SetTitle("");
  CHECK(Application->Title() == "test_win_controls");
  Application->SetTitle("Pelmora");
}

TEST_CASE("Application: the error box adds a full stop after a last character that sorts after it") {
  Application->SetTitle("Pelmora");
  struct Case {
    const char* message;
    const char* shown;
  };
  const Case cases[] = {
      {"イメージサイズが正しくありません", "イメージサイズが正しくありません."},
      {"ファイル C:\\a.ico を作成できません", "ファイル C:\\a.ico を作成できません."},
      {"read error!!", "read error!!"},
      {"done.", "done."},
      {"a/", "a/."},
      {"表", "表."},
  };
  for (const Case& c : cases) {
    CAPTURE(c.message);
    const TestKit::TDialogSeen seen = ErrorBoxFor(c.message);
    CHECK(seen.Caption == "Pelmora");
    CHECK(seen.HasText(c.shown));
    CHECK(ButtonCount(seen) == 1);
    CHECK(seen.HasText("OK"));
  }
}

TEST_CASE("Application: the error box carries the error icon") {
  Application->SetTitle("Pelmora");
  HICON shown = nullptr;
  TestKit::DialogDriver driver;
  driver.Expect("Pelmora")
      .Do([&](HWND dlg) {
        // The message box's icon is a static control showing an icon.
        for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
          if ((GetWindowLongPtrW(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            shown = reinterpret_cast<HICON>(SendMessageW(c, STM_GETICON, 0, 0));
      })
      .Press(IDOK);
  EInvalidOperation e("x");
  Application->ShowException(&e);
  REQUIRE(shown != nullptr);
  CHECK(shown == LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_ERROR)));
}

namespace {

// A main form whose OnShow plays a script on the running loop.
class TRunForm : public TForm {
  VCL_CLASS(TRunForm)
 public:
  explicit TRunForm(TComponent* Owner) : TForm(Owner) {
    Menu1 = new TMainMenu(this);
    Stop = new TMenuItem(this);
    Stop->SetCaption("終了(&Q)");
    Stop->OnClick = TNotifyEvent::Bind<&TRunForm::StopClick>(this);
    Fail = new TMenuItem(this);
    Fail->SetCaption("失敗");
    Fail->SetShortCut(VK_F12);
    Fail->OnClick = TNotifyEvent::Bind<&TRunForm::FailClick>(this);
    Menu1->Items()->Add(Stop);
    Menu1->Items()->Add(Fail);
    SetMenu(Menu1);
    OnShow = TNotifyEvent::Bind<&TRunForm::FormShow>(this);
  }
  void FormShow(TObject*) {
    VisibleAtShow = IsWindowVisible(Handle()) != FALSE;
    if (Script) Script(this);
  }
  void StopClick(TObject*) {
    ++Stops;
    Application->Terminate();
  }
  void FailClick(TObject*) {
    ++Fails;
    throw EInvalidOperation("失敗しました");
  }

  TMainMenu* Menu1;
  TMenuItem* Stop;
  TMenuItem* Fail;
  std::function<void(TRunForm*)> Script;
  bool VisibleAtShow = true;
  int Stops = 0, Fails = 0;
};

}  // namespace

VCL_PUBLISH(TRunForm, TForm, Component) {}

namespace {
void CALLBACK CloseLater(HWND Wnd, UINT, UINT_PTR Id, DWORD) {
  KillTimer(Wnd, Id);
  PostMessageW(Wnd, WM_CLOSE, 0, 0);
}
}  // namespace

TEST_CASE("Application: Run shows the main form and ends on Terminate or on closing the window") {
  Application->SetTitle("Pelmora");
  struct Case {
    const char* name;
    std::function<void(TRunForm*)> script;
    int stops;
  };
  const Case cases[] = {
      {"exit command", [](TRunForm* f) { PostMessageW(f->Handle(), WM_COMMAND, f->Stop->Command(), 0); }, 1},
      {"window closed", [](TRunForm* f) { PostMessageW(f->Handle(), WM_CLOSE, 0, 0); }, 0},
  };
  for (const Case& c : cases) {
    CAPTURE(c.name);
    TRunForm* form = nullptr;
    Application->CreateForm(TRunForm::StaticClass(), &form);
    REQUIRE(form != nullptr);
    CHECK(Application->MainForm() == form);
    form->Script = c.script;
    Application->Run();
    CHECK(Application->Terminated());
    CHECK_FALSE(form->VisibleAtShow);
    CHECK(IsWindowVisible(form->Handle()));
    CHECK(form->Stops == c.stops);
    delete form;
    CHECK(Application->MainForm() == nullptr);
  }
}

TEST_CASE("Application: an exception from a shortcut command is shown and Run carries on") {
  Application->SetTitle("Pelmora");
  TRunForm* form = nullptr;
  Application->CreateForm(TRunForm::StaticClass(), &form);
  TestKit::DialogDriver driver;
  driver.Expect("Pelmora").Press(IDOK);
  // Input comes before the posted close is acted on: the loop handles F12
  // (its exception included) first.
  form->Script = [](TRunForm* f) {
    SetForegroundWindow(f->Handle());
    TestApp::PressKeys({VK_F12});
    SetTimer(f->Handle(), 1, 300, &CloseLater);
  };
  Application->Run();
  CHECK(form->Fails == 1);
  REQUIRE(driver.Seen().size() == 1);
  CHECK(driver.Seen()[0].HasText("失敗しました."));
  delete form;
}

TEST_CASE("Application: CreateForm refuses a class that is not a form") {
  TForm* form = nullptr;
  CHECK_THROWS_AS(Application->CreateForm(TMainMenu::StaticClass(), &form), EInvalidOperation);
  CHECK(form == nullptr);
}
