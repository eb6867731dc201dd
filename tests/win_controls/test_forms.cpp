// Forms read from form text: menus with captions and shortcuts, the
// shortcut order, the window procedure chain, and the form's end.
#include <doctest.h>

#include <algorithm>
#include <vector>

#include "ComCtrls.h"
#include "Filer.h"
#include "Forms.h"
#include "Menus.h"
#include "TestApp.h"
#include "WinTestKit.h"
#include "WinText.h"

#undef RegisterClass

using namespace Vcl;

namespace {

const char* const FormText = R"(object TestForm: TTestForm
  Left = 40
  Top = 40
  Width = 400
  Height = 300
  Caption = 'テスト'
  Color = clBtnFace
  Font.Charset = SHIFTJIS_CHARSET
  Font.Color = clWindowText
  Font.Height = -12
  Font.Name = 'ＭＳ Ｐゴシック'
  Font.Style = []
  Menu = MainMenu1
  OnShow = FormShow
  PixelsPerInch = 96
  TextHeight = 12
  object List: TListView
    Left = 0
    Top = 0
    Width = 392
    Height = 254
    Align = alClient
    IconOptions.AutoArrange = True
    PopupMenu = Popup
    ReadOnly = True
    TabOrder = 0
  end
  object Popup: TPopupMenu
    AutoPopup = False
    object PopSave: TMenuItem
      Caption = '保存(&S)'
      ShortCut = 16467
      OnClick = PopSaveClick
    end
  end
  object MainMenu1: TMainMenu
    object File1: TMenuItem
      Caption = 'ファイル(&F)'
      object FileOpen: TMenuItem
        Caption = '開く(&O)'
        ShortCut = 16463
        OnClick = FileOpenClick
      end
      object N1: TMenuItem
        Caption = '-'
      end
      object FileSave: TMenuItem
        Caption = 'すべて保存(S)'
        ShortCut = 16467
        OnClick = FileSaveClick
      end
      object Off: TMenuItem
        Caption = '無効'
        Enabled = False
        ShortCut = 16452
        OnClick = OffClick
      end
    end
    object Fail: TMenuItem
      Caption = '失敗(&X)'
      ShortCut = 123
      OnClick = FailClick
    end
  end
end
)";

}  // namespace

class TTestForm : public TForm {
  VCL_CLASS(TTestForm)
 public:
  TListView* List = nullptr;
  TPopupMenu* Popup = nullptr;
  TMenuItem* PopSave = nullptr;
  TMainMenu* MainMenu1 = nullptr;
  TMenuItem* File1 = nullptr;
  TMenuItem* FileOpen = nullptr;
  TMenuItem* N1 = nullptr;
  TMenuItem* FileSave = nullptr;
  TMenuItem* Off = nullptr;
  TMenuItem* Fail = nullptr;

  explicit TTestForm(TComponent* Owner) : TForm(Owner) { ReadComponentText(FormText, this); }

  void FormShow(TObject*) {
    VisibleAtShow = IsWindowVisible(Handle()) != FALSE;
    ++Shows;
  }
  void PopSaveClick(TObject* Sender) { Clicks.push_back("PopSave"); }
  void FileOpenClick(TObject* Sender) { Clicks.push_back("FileOpen"); }
  void FileSaveClick(TObject* Sender) { Clicks.push_back("FileSave"); }
  void OffClick(TObject* Sender) { Clicks.push_back("Off"); }
  void FailClick(TObject* Sender) {
    Clicks.push_back("Fail");
    throw Exception("コマンドが失敗しました");
  }

  std::vector<AnsiString> Clicks;
  bool VisibleAtShow = true;
  int Shows = 0;
};

VCL_PUBLISH(TTestForm, TForm, Component) {
  P.Field("List", &TTestForm::List);
  P.Field("Popup", &TTestForm::Popup);
  P.Field("PopSave", &TTestForm::PopSave);
  P.Field("MainMenu1", &TTestForm::MainMenu1);
  P.Field("File1", &TTestForm::File1);
  P.Field("FileOpen", &TTestForm::FileOpen);
  P.Field("N1", &TTestForm::N1);
  P.Field("FileSave", &TTestForm::FileSave);
  P.Field("Off", &TTestForm::Off);
  P.Field("Fail", &TTestForm::Fail);
  P.Method<&TTestForm::FormShow>("FormShow");
  P.Method<&TTestForm::PopSaveClick>("PopSaveClick");
  P.Method<&TTestForm::FileOpenClick>("FileOpenClick");
  P.Method<&TTestForm::FileSaveClick>("FileSaveClick");
  P.Method<&TTestForm::OffClick>("OffClick");
  P.Method<&TTestForm::FailClick>("FailClick");
}

namespace {

AnsiString MenuText(HMENU Menu, UINT Position) {
  wchar_t buf[128] = {};
  GetMenuStringW(Menu, Position, buf, 128, MF_BYPOSITION);
  return FromWide(buf, wcslen(buf));
}

UINT MenuState(HMENU Menu, UINT Position) {
  MENUITEMINFOW mii{};
  mii.cbSize = sizeof mii;
  mii.fMask = MIIM_STATE | MIIM_FTYPE;
  GetMenuItemInfoW(Menu, Position, TRUE, &mii);
  return mii.fState | mii.fType;
}

// Records the messages that reach a control's WindowProc, then passes
// them on.
struct TRecorder {
  TControl* Control;
  TWndMethod Previous;
  std::vector<UINT> Seen;
  bool DestroyingAtDestroy = false;
  void Proc(TMessage& M) {
    Seen.push_back(M.Msg);
    if (M.Msg == WM_DESTROY) DestroyingAtDestroy = Control->HasState(csDestroying);
    Previous(M);
  }
  explicit TRecorder(TControl* C) : Control(C), Previous(C->WindowProc) {
    C->WindowProc = TWndMethod::Bind<&TRecorder::Proc>(this);
  }
};

// A subclass installed the way other code does it, above ours.
std::vector<UINT>* SubclassSeen = nullptr;
WNDPROC SubclassPrevious = nullptr;
LRESULT CALLBACK SubclassProc(HWND Wnd, UINT Msg, WPARAM W, LPARAM L) {
  if (SubclassSeen && Msg == WM_APP + 7) SubclassSeen->push_back(Msg);
  return CallWindowProcA(SubclassPrevious, Wnd, Msg, W, L);
}

}  // namespace

TEST_CASE("Forms: a form text gives the components, properties and handlers") {
  TTestForm form(nullptr);
  REQUIRE(form.List != nullptr);
  REQUIRE(form.MainMenu1 != nullptr);
  CHECK(form.Caption() == "テスト");
  CHECK(form.Menu() == form.MainMenu1);
  CHECK(form.List->Parent() == &form);
  CHECK(form.List->GetPopupMenu() == form.Popup);
  CHECK_FALSE(form.Popup->AutoPopup());
  CHECK(form.Font()->Charset() == SHIFTJIS_CHARSET);
  CHECK(form.Font()->GetName() == "ＭＳ Ｐゴシック");
  CHECK(form.Color() == clBtnFace);
  CHECK(form.FileOpen->GetShortCut() == 16463);
  CHECK(form.FileOpen->Parent() == form.File1);
  CHECK(form.File1->GetParentMenu() == form.MainMenu1);

  HWND wnd = form.Handle();
  CHECK(GetWindowTextAnsi(wnd) == "テスト");
  // The list takes the form's font.
  LOGFONTW listFont{}, formFont{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(form.List->Handle(), WM_GETFONT, 0, 0)), sizeof listFont, &listFont);
  GetObjectW(form.Font()->Handle(), sizeof formFont, &formFont);
  CHECK(FromWide(listFont.lfFaceName, wcslen(listFont.lfFaceName)) == "ＭＳ Ｐゴシック");
  CHECK(listFont.lfHeight == -12);
  CHECK(listFont.lfCharSet == SHIFTJIS_CHARSET);
  CHECK(form.List->ParentFont());

  HMENU bar = GetMenu(wnd);
  REQUIRE(bar != nullptr);
  REQUIRE(GetMenuItemCount(bar) == 2);
  CHECK(MenuText(bar, 0) == "ファイル(&F)");
  CHECK(MenuText(bar, 1) == "失敗(&X)\tF12");
  HMENU file = GetSubMenu(bar, 0);
  REQUIRE(file != nullptr);
  REQUIRE(GetMenuItemCount(file) == 4);
  CHECK(MenuText(file, 0) == "開く(&O)\tCtrl+O");
  CHECK((MenuState(file, 1) & MFT_SEPARATOR) != 0);
  CHECK(MenuText(file, 2) == "すべて保存(S)\tCtrl+S");
  CHECK(MenuText(file, 3) == "無効\tCtrl+D");
  CHECK((MenuState(file, 3) & MFS_GRAYED) != 0);
  CHECK(GetMenuItemID(file, 0) == form.FileOpen->Command());

  // A caption changed later shows in the bar.
  form.Fail->SetCaption("中止(&X)");
  CHECK(MenuText(GetMenu(wnd), 1) == "中止(&X)\tF12");
}

TEST_CASE("Forms: OnShow runs before the window shows; menu commands reach OnClick") {
  TTestForm form(nullptr);
  form.Show();
  CHECK(form.Shows == 1);
  CHECK_FALSE(form.VisibleAtShow);
  CHECK(IsWindowVisible(form.Handle()));
  PostMessageW(form.Handle(), WM_COMMAND, form.FileOpen->Command(), 0);
  PostMessageW(form.Handle(), WM_COMMAND, form.FileSave->Command(), 0);
  TestApp::Pump([&] { return form.Clicks.size() == 2; });
  REQUIRE(form.Clicks.size() == 2);
  CHECK(form.Clicks[0] == "FileOpen");
  CHECK(form.Clicks[1] == "FileSave");
}

TEST_CASE("Forms: shortcuts go to the focused control's popup menu first, then the form's menu") {
  TTestForm form(nullptr);
  TestApp::ShowActive(&form);
  form.List->SetFocus();
  REQUIRE(GetFocus() == form.List->Handle());
  struct Case {
    std::initializer_list<WORD> keys;
    const char* expected;  // null: nothing runs
  };
  const Case cases[] = {
      {{VK_CONTROL, 'S'}, "PopSave"},  // in both menus: the list's popup wins
      {{VK_CONTROL, 'O'}, "FileOpen"},  // only in the form's menu
      {{VK_CONTROL, 'D'}, nullptr},     // its item is disabled
      {{VK_SHIFT, 'O'}, nullptr},       // no such shortcut
  };
  for (const Case& c : cases) {
    CAPTURE(c.expected ? c.expected : "nothing");
    form.Clicks.clear();
    TestApp::PressKeys(c.keys);
    TestApp::Pump([&] { return !form.Clicks.empty(); }, c.expected ? 3000 : 500);
    if (c.expected) {
      REQUIRE(form.Clicks.size() == 1);
      CHECK(form.Clicks[0] == c.expected);
    } else {
      CHECK(form.Clicks.empty());
    }
  }
  // Without a popup menu on the list, the form's item takes Ctrl+S.
  form.List->SetPopupMenu(nullptr);
  form.Clicks.clear();
  TestApp::PressKeys({VK_CONTROL, 'S'});
  TestApp::Pump([&] { return !form.Clicks.empty(); }, 3000);
  REQUIRE(form.Clicks.size() == 1);
  CHECK(form.Clicks[0] == "FileSave");
}

TEST_CASE("Forms: a command's exception is shown in the error box and the window stays usable") {
  Application->SetTitle("Pelmora");
  TTestForm form(nullptr);
  TestApp::ShowActive(&form);
  TestKit::DialogDriver driver;
  driver.Expect("Pelmora").Press(IDOK);
  PostMessageW(form.Handle(), WM_COMMAND, form.Fail->Command(), 0);
  TestApp::Pump([&] { return driver.AllDone() && !form.Clicks.empty(); });
  REQUIRE(driver.Seen().size() == 1);
  CHECK(driver.Seen()[0].Caption == "Pelmora");
  CHECK(driver.Seen()[0].HasText("コマンドが失敗しました."));
  CHECK(IsWindow(form.Handle()));
  form.Clicks.clear();
  PostMessageW(form.Handle(), WM_COMMAND, form.FileOpen->Command(), 0);
  TestApp::Pump([&] { return !form.Clicks.empty(); });
  REQUIRE(form.Clicks.size() == 1);
  CHECK(form.Clicks[0] == "FileOpen");
}

TEST_CASE("Forms: a subclass set over ours chains to our window procedure; a new window is ours again") {
  TTestForm form(nullptr);
  HWND list = form.List->Handle();
  TRecorder recorder(form.List);
  std::vector<UINT> subclassSeen;
  SubclassSeen = &subclassSeen;
  SubclassPrevious = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassProc)));
  SendMessageW(list, WM_APP + 7, 0, 0);
  CHECK(subclassSeen.size() == 1);
  CHECK(std::count(recorder.Seen.begin(), recorder.Seen.end(), WM_APP + 7) == 1);
  SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SubclassPrevious));
  SubclassSeen = nullptr;

  // A new window is ours again, and keeps the items.
  form.List->Items()->Add()->SetCaption("a");
  form.List->RecreateWnd();
  HWND again = form.List->Handle();
  CHECK(again != list);
  CHECK(SendMessageW(again, LVM_GETITEMCOUNT, 0, 0) == 1);
  recorder.Seen.clear();
  SendMessageW(again, WM_APP + 7, 0, 0);
  CHECK(std::count(recorder.Seen.begin(), recorder.Seen.end(), WM_APP + 7) == 1);
  // The recorder goes before the form does.
  form.List->WindowProc = recorder.Previous;
}

TEST_CASE("Forms: the form's end marks its controls as destroying before their windows go") {
  auto* form = new TTestForm(nullptr);
  form->Show();
  HWND list = form->List->Handle();
  HWND wnd = form->Handle();
  TRecorder recorder(form->List);
  delete form;
  CHECK(recorder.DestroyingAtDestroy);
  CHECK(std::count(recorder.Seen.begin(), recorder.Seen.end(), WM_DESTROY) == 1);
  CHECK_FALSE(IsWindow(list));
  CHECK_FALSE(IsWindow(wnd));
}

TEST_CASE("Forms: closing a form that is not the main form hides it") {
  TTestForm form(nullptr);
  form.Show();
  PostMessageW(form.Handle(), WM_CLOSE, 0, 0);
  TestApp::Pump([&] { return !IsWindowVisible(form.Handle()); });
  CHECK_FALSE(IsWindowVisible(form.Handle()));
  CHECK_FALSE(form.Visible());
  CHECK(IsWindow(form.Handle()));
}

TEST_CASE("Forms: an MDI form has its client window") {
  TForm form(nullptr);
  CHECK(form.ClientHandle() == nullptr);
  form.SetFormStyle(fsMDIForm);
  HWND wnd = form.Handle();
  HWND client = form.ClientHandle();
  REQUIRE(client != nullptr);
  CHECK(GetParent(client) == wnd);
  wchar_t cls[32] = {};
  GetClassNameW(client, cls, 32);
  CHECK(lstrcmpiW(cls, L"MDIClient") == 0);
  CHECK_THROWS_AS(form.SetFormStyle(fsNormal), EInvalidOperation);
}
