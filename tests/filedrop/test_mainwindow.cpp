// Files dropped on the main window's icon list: real WM_DROPFILES messages
// posted to the list and handled by the application's own message loop.
#include <doctest.h>

#include "Classes.h"

#include <vector>

#include "DropKit.h"
#include "FileDrop.h"
#include "Fixtures.h"
#include "InputQuery.h"
#include "PelmoraForm.h"
#include "System.h"
#include "TestApp.h"
#include "WinTestKit.h"
#include "WinText.h"

using DropKit::TTempFolder;
using Orvik::TFileDrop;
using TestKit::DialogDriver;
using namespace Vcl;

namespace {

const char* const OpenTitle = "アイコンが含まれているファイルを開く";
const char* const SizeCaption = "サイズの指定";
const char* const SizeError = "イメージサイズが正しくありません.";

AnsiString Lib() { return Fixtures::Path(Fixtures::IconLibrary); }
AnsiString Icon() { return Fixtures::Path(Fixtures::SingleIcon); }
AnsiString Text() { return Fixtures::Path(Fixtures::TextFile); }

AnsiString CommandLine;

// The main window made as the program makes it, started with File and shown.
struct TWindow {
  explicit TWindow(const AnsiString& File) {
    Application->SetTitle("Pelmora");
    CommandLine = "pelmora.exe \"" + File + "\"";
    CmdLine = CommandLine.c_str();
    Application->CreateForm(TPelmoraFm::StaticClass(), &PelmoraFm);
    REQUIRE(PelmoraFm != nullptr);
    PelmoraFm->Show();
  }
  ~TWindow() {
    delete PelmoraFm;
    PelmoraFm = nullptr;
    CommandLine = "pelmora.exe";
    CmdLine = CommandLine.c_str();
  }
  TPelmoraFm* operator->() const { return PelmoraFm; }
};

AnsiString Caption() { return GetWindowTextAnsi(PelmoraFm->Handle()); }
int ItemCount() {
  return static_cast<int>(SendMessageW(PelmoraFm->IconListView->Handle(), LVM_GETITEMCOUNT, 0, 0));
}

// Posts a drop of Files to the list, as the shell does, and lets the
// application's loop handle it; Driver answers the dialogs it brings.
void Drop(const std::vector<AnsiString>& Files, DialogDriver& Driver) {
  HDROP drop = DropKit::MakeDrop(Files, {20, 20});
  REQUIRE(PostMessageA(PelmoraFm->IconListView->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0));
  TestApp::Pump([&] { return !DropKit::Allocated(drop) && Driver.AllDone(); }, 8000);
  TestApp::PumpFor(100);
  CHECK_FALSE(DropKit::Allocated(drop));
  CHECK(Driver.AllDone());
  CHECK(Driver.Errors().empty());
}

// Runs a menu command as the menu does.
void RunCommand(TMenuItem* Item, DialogDriver& Driver) {
  PostMessageW(PelmoraFm->Handle(), WM_COMMAND, Item->Command(), 0);
  TestApp::Pump([&] { return Driver.AllDone(); }, 8000);
  TestApp::PumpFor(100);
  CHECK(Driver.AllDone());
  CHECK(Driver.Errors().empty());
}

}  // namespace

TEST_CASE("the window's file drop comes from its form resource, on the icon list") {
  TWindow w(Icon());
  TFileDrop* fd = w->FileDrop1;
  REQUIRE(fd != nullptr);
  CHECK(fd->Owner() == PelmoraFm);
  CHECK(fd->Active());
  CHECK(fd->Control() == w->IconListView);
  CHECK(fd->MessageSnatcher() == nullptr);
  CHECK(fd->ActivateWindow());
  CHECK(fd->FollowLink());
  CHECK(fd->OnDropFiles().Method().Data == PelmoraFm);
  CHECK(PelmoraFm->MethodName(fd->OnDropFiles().Method().Code) == "FileDrop1DropFiles");
  CHECK((GetWindowLongA(w->IconListView->Handle(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES) != 0);
}

TEST_CASE("a drop opens its first file as the open command does") {
  TTempFolder dir;
  const AnsiString libLink = dir / "ライブラリ.lnk";
  DropKit::MakeShortcut(libLink, Lib());
  DropKit::MakeShortcutToComputer(dir / "computer.lnk");

  struct TCase {
    const char* What;
    std::vector<AnsiString> Dropped;
    AnsiString Opened;  // empty: the window stays as it was
    int Items;
  };
  const TCase cases[] = {
      {"two files: only the first is loaded", {Lib(), Icon()}, Lib(), 3},
      {"a shortcut to the library: the library's path", {libLink}, Lib(), 3},
      {"a text file: an empty list, no message", {Text()}, Text(), 0},
      {"a drop of no file: nothing to open", {}, "", 1},
      {"a shortcut to something that is not a file: nothing to open", {dir / "computer.lnk"}, "", 1},
  };
  for (const TCase& c : cases) {
    INFO(AnsiString(c.What));
    TWindow w(Icon());
    REQUIRE(ItemCount() == 1);
    DialogDriver driver;  // no dialog may come up
    Drop(c.Dropped, driver);
    CHECK(driver.Seen().empty());
    CHECK(Caption() == "Pelmora [" + (c.Opened.empty() ? Icon() : c.Opened) + "]");
    CHECK(ItemCount() == c.Items);
    CHECK(w->IconImageList->Count() == c.Items);
  }
}

TEST_CASE("after a drop, the size command reloads the dropped file and the open dialog starts from it") {
  TTempFolder dir;
  const AnsiString libLink = dir / "lib.lnk";
  DropKit::MakeShortcut(libLink, Lib());
  TWindow w(Icon());
  {
    DialogDriver driver;
    Drop({libLink}, driver);
  }
  w->IconListView->Items()->Item(0)->SetCaption("mark");  // only a reload takes it away
  {
    DialogDriver driver;
    driver.Expect(SizeCaption).SetText(InputQueryEditId, "16").Press(IDOK);
    RunCommand(w->SetSize, driver);
  }
  CHECK(ItemCount() == 3);
  CHECK(w->IconListView->Items()->Item(0)->Caption() == "0");
  CHECK(w->IconImageList->Width() == 16);
  CHECK(w->IconImageList->Count() == 3);
  {
    DialogDriver driver;
    driver.Expect(OpenTitle).Press(IDCANCEL);
    RunCommand(w->FileOpen, driver);
    REQUIRE(driver.Seen().size() == 1);
    CHECK(driver.Seen()[0].HasText(ExtractFileName(Lib())));
  }
  CHECK(Caption() == "Pelmora [" + Lib() + "]");
}

TEST_CASE("a drop that fails is shown in the error box and the program goes on") {
  TWindow w(Icon());
  {
    DialogDriver driver;
    driver.Expect(SizeCaption).SetText(InputQueryEditId, "48").Press(IDOK);
    driver.Expect("Pelmora").Press(IDOK);
    RunCommand(w->SetSize, driver);
  }
  {
    DialogDriver driver;
    driver.Expect("Pelmora").Press(IDOK);
    Drop({Lib()}, driver);
    REQUIRE(driver.Seen().size() == 1);
    CHECK(driver.Seen()[0].HasText(SizeError));
  }
  // The name was taken before the load failed.
  CHECK(Caption() == "Pelmora [" + Lib() + "]");
  // Still running: a good size loads the dropped file, and drops work.
  {
    DialogDriver driver;
    driver.Expect(SizeCaption).SetText(InputQueryEditId, "32").Press(IDOK);
    RunCommand(w->SetSize, driver);
    CHECK(driver.Seen().size() == 1);
  }
  CHECK(ItemCount() == 3);
  {
    DialogDriver driver;
    Drop({Icon()}, driver);
    CHECK(driver.Seen().empty());
  }
  CHECK(ItemCount() == 1);
  CHECK(Caption() == "Pelmora [" + Icon() + "]");
}
