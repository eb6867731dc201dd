// The main window in process: start-up with and without a file, the open
// and size commands, shortcuts, exit, and errors shown in the error box.
// Dialogs are the real ones, answered by the dialog driver.
#include <doctest.h>

#include <functional>
#include <vector>

#include "Fixtures.h"
#include "InputQuery.h"
#include "PelmoraForm.h"
#include "System.h"
#include "TestApp.h"
#include "WinTestKit.h"
#include "WinText.h"

#include <shellapi.h>

using namespace Vcl;
using TestKit::DialogDriver;

namespace {

const char* const OpenTitle = "アイコンが含まれているファイルを開く";
const char* const SizeCaption = "サイズの指定";
const char* const SizeError = "イメージサイズが正しくありません.";

AnsiString Lib() { return Fixtures::Path(Fixtures::IconLibrary); }

// The command line the window reads its file from.
AnsiString CommandLine;
void SetArguments(const AnsiString& Arguments) {
  CommandLine = "pelmora.exe" + (Arguments.empty() ? AnsiString() : " " + Arguments);
  CmdLine = CommandLine.c_str();
}

// Makes the main window as the program does; shows it when asked.
struct TWindow {
  explicit TWindow(const AnsiString& Arguments) {
    Application->SetTitle("Pelmora");
    SetArguments(Arguments);
    Application->CreateForm(TPelmoraFm::StaticClass(), &PelmoraFm);
    REQUIRE(PelmoraFm != nullptr);
  }
  ~TWindow() {
    delete PelmoraFm;
    PelmoraFm = nullptr;
    SetArguments("");
  }
  TPelmoraFm* operator->() const { return PelmoraFm; }
};

// The captions of the list, as its window shows them.
std::vector<AnsiString> Captions() {
  HWND list = PelmoraFm->IconListView->Handle();
  std::vector<AnsiString> result;
  const int n = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    wchar_t buf[32] = {};
    LVITEMW item{};
    item.pszText = buf;
    item.cchTextMax = 32;
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    result.push_back(FromWide(buf, wcslen(buf)));
  }
  CHECK(static_cast<int>(result.size()) == PelmoraFm->IconListView->Items()->Count());
  return result;
}

std::vector<AnsiString> Numbered(int Count) {
  std::vector<AnsiString> v;
  for (int i = 0; i < Count; ++i) v.push_back(IntToStr(i));
  return v;
}

// The colour at (X, Y) of image Index drawn on white at the list's size.
COLORREF ImagePixel(int Index, int X, int Y) {
  TImageList* images = PelmoraFm->IconImageList;
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, images->Width(), images->Height());
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, bmp);
  RECT r{0, 0, images->Width(), images->Height()};
  FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  TCanvas canvas(dc);
  images->Draw(&canvas, 0, 0, Index);
  const COLORREF c = GetPixel(dc, X, Y);
  SelectObject(dc, old);
  DeleteObject(bmp);
  DeleteDC(dc);
  return c;
}

bool Reddish(COLORREF C) { return GetRValue(C) > 200 && GetGValue(C) < 60 && GetBValue(C) < 60; }

// Runs the size command as the menu does, the dialogs answered by Script.
void RunSizeCommand(DialogDriver& Driver) {
  PostMessageW(PelmoraFm->Handle(), WM_COMMAND, PelmoraFm->SetSize->Command(), 0);
  TestApp::Pump([&] { return Driver.AllDone(); }, 8000);
  TestApp::PumpFor(100);
  CHECK(Driver.AllDone());
  CHECK(Driver.Errors().empty());
}

// What the size dialog starts with now (the current size), by opening it
// and cancelling.
AnsiString CurrentSize() {
  DialogDriver driver;
  driver.Expect(SizeCaption).Press(IDCANCEL);
  RunSizeCommand(driver);
  REQUIRE(driver.Seen().size() == 1);
  const TestKit::TControlInfo* edit = driver.Seen()[0].Control(InputQueryEditId);
  REQUIRE(edit != nullptr);
  return edit->Text;
}

}  // namespace

TEST_CASE("Start with a file: its icons are listed at 32 by 32, numbered in order") {
  TWindow w(Lib());
  DialogDriver driver;  // no dialog may come up
  w->Show();
  CHECK(driver.Seen().empty());
  CHECK(GetWindowTextAnsi(w->Handle()) == "Pelmora [" + Lib() + "]");
  CHECK(Captions() == Numbered(3));
  CHECK(w->IconImageList->Width() == 32);
  CHECK(w->IconImageList->Height() == 32);
  CHECK(w->IconImageList->Count() == 3);
  for (int i = 0; i < 3; ++i) CHECK(w->IconListView->Items()->Item(i)->ImageIndex() == i);
  // Image 0 is the red square, image 1 is not.
  CHECK(Reddish(ImagePixel(0, 16, 16)));
  CHECK_FALSE(Reddish(ImagePixel(1, 16, 16)));
}

TEST_CASE("The window's form: components, menus, shortcuts, filter and title") {
  TWindow w(Lib());
  w->Show();
  CHECK(w->Menu() == w->MainMenu1);
  CHECK(w->Position() == poDefault);
  CHECK(w->Font()->Charset() == SHIFTJIS_CHARSET);
  CHECK(w->Font()->Height() == -12);
  CHECK(w->IconListView->ViewStyle() == vsIcon);
  CHECK(w->IconListView->ReadOnly());
  CHECK_FALSE(w->IconListView->MultiSelect());
  CHECK(w->IconListView->IconOptions()->AutoArrange());
  CHECK(w->IconListView->LargeImages() == w->IconImageList);
  CHECK(w->IconListView->GetPopupMenu() == w->PopupMenu);
  CHECK(w->IconListView->Align() == alClient);
  CHECK_FALSE(w->PopupMenu->AutoPopup());
  struct Item {
    TMenuItem* item;
    const char* caption;
    TShortCut shortCut;
    TMenuItem* parent;
  };
  const Item items[] = {
      {w->File1, "ファイル(&F)", 0, w->MainMenu1->Items()},
      {w->FileOpen, "開く(&O)", 16463, w->File1},
      {w->N1, "-", 0, w->File1},
      {w->SaveAll, "すべて保存(S)", 123, w->File1},
      {w->SetSize, "サイズ指定(&S)", 0, w->MainMenu1->Items()},
      {w->About, "バージョン情報(&A)", 0, w->MainMenu1->Items()},
      {w->Exit, "終了(&Q)", 0, w->MainMenu1->Items()},
      {w->IconSaveToFile, "保存(&S)", 16467, w->PopupMenu->Items()},
      {w->Copy, "コピー(&C)", 16451, w->PopupMenu->Items()},
  };
  for (const Item& i : items) {
    CAPTURE(i.caption);
    REQUIRE(i.item != nullptr);
    CHECK(i.item->Caption() == i.caption);
    CHECK(i.item->GetShortCut() == i.shortCut);
    CHECK(i.item->Parent() == i.parent);
  }
  CHECK(w->MainMenu1->Items()->Count() == 4);
  CHECK(w->OpenFileDialog->Title() == OpenTitle);
  CHECK(w->OpenFileDialog->FilterIndex() == 1);
  CHECK(w->OpenFileDialog->Options() == ((1u << ofHideReadOnly) | (1u << ofEnableSizing)));
  CHECK(w->OpenFileDialog->Filter() ==
        "アイコンファイル(*.exe;*.dll;*.ico)|*.exe;*.dll;*.ico|実行可能ファイル(*.exe;*.dll)|*.exe;*.dll|"
        "実行ファイル(*.exe)|*.exe|ダイナミックリンクライブラリ(*.dll)|*.dll|アイコンファイル(*.ico)|*.ico|"
        "コントロールパネル(*.cpl)|*.cpl|スクリーンセーバー(*.scr)|*.scr|コンポーネント(*.ocx;*.bpl)|"
        "*.ocx;*.bpl|全てのファイル(*.*)|*.*");
  CHECK(w->SaveIconFileDialog->Title() == "アイコンファイルとして保存");
  CHECK(w->SaveIconFileDialog->DefaultExt() == "*.ico");
  CHECK(w->SaveIconFileDialog->Filter() == "アイコン (*.ico)|*.ico");
  // The menu bar shows the shortcut beside the open command.
  HMENU file = GetSubMenu(GetMenu(w->Handle()), 0);
  wchar_t text[64] = {};
  GetMenuStringW(file, 0, text, 64, MF_BYPOSITION);
  CHECK(FromWide(text, wcslen(text)) == "開く(&O)\tCtrl+O");
  // The window and the application show the program's own icon.
  CHECK(GetClassLongPtrW(w->Handle(), GCLP_HICON) ==
        reinterpret_cast<LONG_PTR>(LoadIconW(GetModuleHandleW(nullptr), L"MAINICON")));
}

TEST_CASE("Start without a file: the open dialog comes first") {
  struct Case {
    const char* name;
    bool confirm;
  };
  for (const Case c : {Case{"cancelled", false}, Case{"confirmed", true}}) {
    CAPTURE(c.name);
    TWindow w("");
    bool windowShownDuringDialog = true;
    int filterRows = 0;
    DialogDriver driver;
    auto& script = driver.Expect(OpenTitle).Do([&](HWND dlg) {
      windowShownDuringDialog = IsWindowVisible(PelmoraFm->Handle()) != FALSE;
      filterRows = static_cast<int>(SendDlgItemMessageW(dlg, 0x470 /* file types */, CB_GETCOUNT, 0, 0));
    });
    if (c.confirm)
      script.Type(0, Lib()).Press(IDOK);
    else
      script.Press(IDCANCEL);
    w->Show();
    CHECK(driver.AllDone());
    REQUIRE(driver.Seen().size() == 1);
    CHECK_FALSE(windowShownDuringDialog);
    CHECK(filterRows == 9);
    CHECK(IsWindowVisible(w->Handle()));
    if (c.confirm) {
      CHECK(GetWindowTextAnsi(w->Handle()) == "Pelmora [" + Lib() + "]");
      CHECK(Captions() == Numbered(3));
    } else {
      CHECK(GetWindowTextAnsi(w->Handle()) == "Pelmora");
      CHECK(Captions().empty());
    }
  }
}

TEST_CASE("Start with arguments: the first is the file, quoted blanks included; nothing is asked") {
  // A copy of the library under a name with blanks and Japanese text.
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const AnsiString folder = AnsiString(temp) + "pelmora テスト";
  CreateDirectoryA(folder.c_str(), nullptr);
  const AnsiString spaced = folder + "\\アイコン 集.dll";
  REQUIRE(CopyFileA(Lib().c_str(), spaced.c_str(), FALSE));
  const AnsiString missing = Fixtures::Path("nothere.dll");

  struct Case {
    const char* name;
    AnsiString arguments;
    AnsiString file;
    int count;
  };
  const Case cases[] = {
      {"quoted with blanks", "\"" + spaced + "\"", spaced, 3},
      {"two arguments", Lib() + " " + Fixtures::Path(Fixtures::SingleIcon), Lib(), 3},
      {"an icon file", Fixtures::Path(Fixtures::SingleIcon), Fixtures::Path(Fixtures::SingleIcon), 1},
      {"a text file", Fixtures::Path(Fixtures::TextFile), Fixtures::Path(Fixtures::TextFile), 0},
      {"a file that does not exist", missing, missing, 0},
  };
  for (const Case& c : cases) {
    CAPTURE(c.name);
    TWindow w(c.arguments);
    DialogDriver driver;
    w->Show();
    TestApp::PumpFor(100);
    CHECK(driver.Seen().empty());
    CHECK(GetWindowTextAnsi(w->Handle()) == "Pelmora [" + c.file + "]");
    CHECK(Captions() == Numbered(c.count));
    CHECK(w->IconImageList->Count() == c.count);
  }
  DeleteFileA(spaced.c_str());
  RemoveDirectoryA(folder.c_str());
}

TEST_CASE("Size command: what is typed, what is kept, and what is loaded") {
  struct Case {
    const char* typed;
    AnsiString kept;  // the size afterwards
    int listSize;     // the image size afterwards
    int count;        // items afterwards
    bool error;       // the error box shows
  };
  const Case cases[] = {
      {"16", "16", 16, 3, false},
      {"48", "48", 48, 0, true},
      // No image can be this small: the same error, and the list keeps its size.
      {"0", "0", 32, 0, true},
      {"-8", "-8", 32, 0, true},
      {" 24", " 24", 24, 3, false},
      {"$18", "$18", 24, 3, false},
      {"abc", "32", 32, 3, false},
      {"24 ", "32", 32, 3, false},
      {"2147483648", "32", 32, 3, false},
      {"32", "32", 32, 3, false},
  };
  for (const Case& c : cases) {
    CAPTURE(c.typed);
    TWindow w(Lib());
    w->Show();
    // A mark that only a reload takes away.
    w->IconListView->Items()->Item(0)->SetCaption("mark");
    {
      DialogDriver driver;
      driver.Expect(SizeCaption).SetText(InputQueryEditId, c.typed).Press(IDOK);
      if (c.error) driver.Expect("Pelmora").Press(IDOK);
      RunSizeCommand(driver);
      REQUIRE(driver.Seen().size() == (c.error ? 2u : 1u));
      // The dialog started with the size before.
      CHECK(driver.Seen()[0].Control(InputQueryEditId)->Text == "32");
      if (c.error) {
        CHECK(driver.Seen()[1].Caption == "Pelmora");
        CHECK(driver.Seen()[1].HasText(SizeError));
      }
    }
    CHECK(Captions() == Numbered(c.count));
    CHECK(w->IconImageList->Width() == c.listSize);
    CHECK(w->IconImageList->Height() == c.listSize);
    CHECK(w->IconImageList->Count() == c.count);
    CHECK(CurrentSize() == c.kept);
    CHECK(GetWindowTextAnsi(w->Handle()) == "Pelmora [" + Lib() + "]");
  }
}

TEST_CASE("Size command: 48 fails until a size of 32 is set; Cancel changes nothing") {
  TWindow w(Lib());
  w->Show();
  {
    DialogDriver driver;
    driver.Expect(SizeCaption).SetText(InputQueryEditId, "48").Press(IDOK);
    driver.Expect("Pelmora").Press(IDOK);
    RunSizeCommand(driver);
  }
  // Every later load fails the same way.
  {
    DialogDriver driver;
    driver.Expect(SizeCaption).Press(IDOK);
    driver.Expect("Pelmora").Press(IDOK);
    RunSizeCommand(driver);
    REQUIRE(driver.Seen().size() == 2);
    CHECK(driver.Seen()[1].HasText(SizeError));
    CHECK(Captions().empty());
  }
  {
    DialogDriver driver;
    driver.Expect(SizeCaption).SetText(InputQueryEditId, "32").Press(IDOK);
    RunSizeCommand(driver);
    CHECK(driver.Seen().size() == 1);
    CHECK(Captions() == Numbered(3));
  }
  // Cancel: no reload, the size stays.
  w->IconListView->Items()->Item(0)->SetCaption("mark");
  {
    DialogDriver driver;
    driver.Expect(SizeCaption).SetText(InputQueryEditId, "16").Press(IDCANCEL);
    RunSizeCommand(driver);
  }
  CHECK(w->IconListView->Items()->Item(0)->Caption() == "mark");
  CHECK(w->IconImageList->Width() == 32);
  CHECK(CurrentSize() == "32");
  // Confirming the same text reloads the file.
  {
    DialogDriver driver;
    driver.Expect(SizeCaption).Press(IDOK);
    RunSizeCommand(driver);
  }
  CHECK(Captions() == Numbered(3));
}

TEST_CASE("Size command before any file: the list stays empty, without a message") {
  TWindow w("");
  DialogDriver driver;
  driver.Expect(OpenTitle).Press(IDCANCEL);
  w->Show();
  driver.Expect(SizeCaption).SetText(InputQueryEditId, "16").Press(IDOK);
  RunSizeCommand(driver);
  CHECK(driver.Seen().size() == 2);
  CHECK(driver.Unexpected() == 0);
  CHECK(Captions().empty());
  CHECK(w->IconImageList->Width() == 16);
  CHECK(GetWindowTextAnsi(w->Handle()) == "Pelmora");
}

TEST_CASE("Ctrl+O opens the open dialog at the current file; Cancel changes nothing") {
  TWindow w(Lib());
  TestApp::ShowActive(PelmoraFm);
  w->IconListView->SetFocus();
  struct Case {
    const char* name;
    AnsiString typed;  // empty: Cancel
    AnsiString file;
    int count;
  };
  const Case cases[] = {
      {"cancelled", "", Lib(), 3},
      {"an icon file", Fixtures::Path(Fixtures::SingleIcon), Fixtures::Path(Fixtures::SingleIcon), 1},
      {"a name that does not exist", Fixtures::Path("none.ico"), Fixtures::Path("none.ico"), 0},
  };
  AnsiString current = Lib();
  for (const Case& c : cases) {
    CAPTURE(c.name);
    DialogDriver driver;
    auto& script = driver.Expect(OpenTitle);
    if (c.typed.empty())
      script.Press(IDCANCEL);
    else
      script.Do([](HWND) { SendMessageW(GetFocus(), EM_SETSEL, 0, -1); }).Type(0, c.typed).Press(IDOK);
    TestApp::PressKeys({VK_CONTROL, 'O'});
    TestApp::Pump([&] { return driver.AllDone(); }, 8000);
    TestApp::PumpFor(100);
    REQUIRE(driver.Seen().size() == 1);
    // The dialog started at the current file.
    CHECK(driver.Seen()[0].HasText(ExtractFileName(current)));
    CHECK(GetWindowTextAnsi(w->Handle()) == "Pelmora [" + c.file + "]");
    CHECK(Captions() == Numbered(c.count));
    current = c.file;
    SetForegroundWindow(w->Handle());
    TestApp::Pump([&] { return GetForegroundWindow() == w->Handle(); }, 2000);
  }
}

TEST_CASE("An index the shell counts but cannot give keeps its place with an empty picture") {
  const AnsiString gap = AnsiString(PELMORA_TEST_DATA) + "\\gaplib.dll";
  HINSTANCE self = GetModuleHandleW(nullptr);
  REQUIRE(reinterpret_cast<UINT_PTR>(ExtractIconA(self, gap.c_str(), static_cast<UINT>(-1))) == 3);
  HICON missing = ExtractIconA(self, gap.c_str(), 1);
  CHECK((missing == nullptr || missing == reinterpret_cast<HICON>(1)));
  TWindow w("\"" + gap + "\"");
  DialogDriver driver;
  w->Show();
  CHECK(driver.Seen().empty());
  CHECK(Captions() == Numbered(3));
  REQUIRE(w->IconImageList->Count() == 3);
  for (int i = 0; i < 3; ++i) CHECK(w->IconListView->Items()->Item(i)->ImageIndex() == i);
  // Images 0 and 2 are the program's icon (a red tile at 8, 8); image 1 is empty.
  CHECK(Reddish(ImagePixel(0, 8, 8)));
  CHECK(Reddish(ImagePixel(2, 8, 8)));
  for (POINT p : {POINT{8, 8}, POINT{16, 16}, POINT{3, 3}}) CHECK(ImagePixel(1, p.x, p.y) == RGB(255, 255, 255));
}

TEST_CASE("Exit: the exit command and closing the window end the message loop") {
  struct Case {
    const char* name;
    std::function<void(HWND)> action;
  };
  const Case cases[] = {
      // The menu bar's 終了(&Q), chosen with its access key.
      {"exit command", [](HWND w) { PostMessageW(w, WM_SYSCOMMAND, SC_KEYMENU, 'q'); }},
      {"window closed", [](HWND w) { PostMessageW(w, WM_CLOSE, 0, 0); }},
  };
  for (const Case& c : cases) {
    CAPTURE(c.name);
    TWindow w(Lib());
    c.action(w->Handle());
    DialogDriver driver;
    Application->Run();
    CHECK(Application->Terminated());
    CHECK(driver.Seen().empty());
    CHECK(Captions() == Numbered(3));
  }
}
