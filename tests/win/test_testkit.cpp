// The dialog driver against real system dialogs: message boxes and the
// open dialog.
#include <doctest.h>
#include <windows.h>

#include <commdlg.h>

#include <functional>

#include "Fixtures.h"
#include "TestWindows.h"
#include "WinTestKit.h"
#include "WinText.h"

using namespace Vcl;
using namespace TestKit;

namespace {
// The file name box of the open dialog (a combo box holding an edit box).
constexpr int FileNameBox = 0x47C;
}  // namespace

TEST_CASE("message boxes are read and answered") {
  struct Case {
    const char* name;
    UINT flags;
    std::function<void(TDialogScript&)> answer;
    int expected;
  };
  const Case cases[] = {
      {"OK by id", MB_OK, [](TDialogScript& s) { s.Press(IDOK); }, IDOK},
      {"Esc cancels", MB_OKCANCEL, [](TDialogScript& s) { s.Key(VK_ESCAPE); }, IDCANCEL},
      {"Enter takes the default button", MB_OKCANCEL | MB_DEFBUTTON2, [](TDialogScript& s) { s.Key(VK_RETURN); },
       IDCANCEL},
      {"No by id", MB_YESNO, [](TDialogScript& s) { s.Press(IDNO); }, IDNO},
      {"OK by caption", MB_OKCANCEL, [](TDialogScript& s) { s.Press(AnsiString("OK")); }, IDOK},
      {"closed", MB_OKCANCEL, [](TDialogScript& s) { s.Close(); }, IDCANCEL},
  };
  for (const Case& c : cases) {
    CAPTURE(c.name);
    DialogDriver driver;
    c.answer(driver.Expect("確認"));
    const int result = MessageBoxA(nullptr, "本文です\nもう一行: 表示", "確認", c.flags);
    CHECK(result == c.expected);
    REQUIRE(driver.Seen().size() == 1);
    const TDialogSeen& seen = driver.Seen()[0];
    CHECK(seen.Caption == "確認");
    CHECK(seen.ClassName == "#32770");
    CHECK(seen.Expected);
    CHECK(seen.HasText("本文です\nもう一行: 表示"));
    CHECK(seen.Rect.right > seen.Rect.left);
    CHECK(seen.ActionsRun == 1);
    CHECK(driver.Errors().empty());
    CHECK(driver.AllDone());
  }
}

TEST_CASE("unexpected dialogs are recorded and closed; a broken script is reported") {
  SUBCASE("no expectation") {
    DialogDriver driver;
    CHECK(MessageBoxA(nullptr, "誰も待っていない", "予期しない", MB_OKCANCEL) == IDCANCEL);
    REQUIRE(driver.Seen().size() == 1);
    CHECK(!driver.Seen()[0].Expected);
    CHECK(driver.Seen()[0].Caption == "予期しない");
    CHECK(driver.Unexpected() == 1);
    CHECK(driver.AllDone());  // nothing was expected
  }
  SUBCASE("an expectation for another caption stays unmet") {
    DialogDriver driver;
    driver.Expect("別の題名").Press(IDOK);
    MessageBoxA(nullptr, "本文", "題名", MB_OKCANCEL);
    CHECK(driver.Unexpected() == 1);
    CHECK(!driver.AllDone());
  }
  SUBCASE("a button that is not there") {
    DialogDriver driver;
    driver.Expect("題名").Press(4242).Press(IDOK);
    CHECK(MessageBoxA(nullptr, "本文", "題名", MB_OKCANCEL) == IDCANCEL);
    REQUIRE(driver.Errors().size() == 1);
    CHECK(driver.Errors()[0].find("4242") != AnsiString::npos);
    CHECK(driver.Seen()[0].ActionsRun == 1);
    CHECK(!driver.AllDone());
  }
  SUBCASE("an action that throws") {
    DialogDriver driver;
    driver.Expect("題名").Do([](HWND) { throw EConvertError("壊れた手順"); });
    CHECK(MessageBoxA(nullptr, "本文", "題名", MB_OKCANCEL) == IDCANCEL);
    REQUIRE(driver.Errors().size() == 1);
    CHECK(driver.Errors()[0] == "\"題名\": 壊れた手順");
  }
  // Two drivers on one thread would fight over the dialogs.
  DialogDriver first;
  CHECK_THROWS_AS(DialogDriver(), Exception);
}

TEST_CASE("the open dialog: a typed name comes back, Cancel returns nothing") {
  char buf[MAX_PATH];
  OPENFILENAMEA ofn{};
  auto reset = [&] {
    buf[0] = '\0';
    ofn = OPENFILENAMEA{};
    ofn.lStructSize = sizeof ofn;
    ofn.lpstrFile = buf;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrFilter = "テキスト (*.txt)\0*.txt\0すべてのファイル (*.*)\0*.*\0";
    ofn.nFilterIndex = 2;
    ofn.lpstrInitialDir = Fixtures::Folder;
    ofn.lpstrTitle = "アイコンを開く";
    ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  };

  SUBCASE("a name in the starting folder") {
    reset();
    DialogDriver driver;
    driver.Expect("アイコンを開く").Type(FileNameBox, "notes.txt").Press(IDOK);
    REQUIRE(GetOpenFileNameA(&ofn));
    CHECK(AnsiString(buf) == Fixtures::Path("notes.txt"));
    CHECK(driver.AllDone());
    REQUIRE(driver.Seen().size() == 1);
    CHECK(driver.Seen()[0].HasText("キャンセル"));
  }
  SUBCASE("a full name, confirmed with Enter") {
    reset();
    DialogDriver driver;
    driver.Expect("アイコンを開く").Type(FileNameBox, Fixtures::Path("single.ico")).Key(VK_RETURN);
    REQUIRE(GetOpenFileNameA(&ofn));
    CHECK(AnsiString(buf) == Fixtures::Path("single.ico"));
  }
  SUBCASE("Cancel") {
    reset();
    DialogDriver driver;
    driver.Expect("アイコンを開く").Type(FileNameBox, "notes.txt").Press(AnsiString("キャンセル"));
    CHECK(!GetOpenFileNameA(&ofn));
    CHECK(CommDlgExtendedError() == 0);
    CHECK(AnsiString(buf).empty());
    CHECK(driver.AllDone());
  }
  SUBCASE("a missing file: the dialog's own complaint is closed, then Cancel") {
    reset();
    DialogDriver driver;
    driver.Expect("アイコンを開く").Type(FileNameBox, "nothere.txt").Press(IDOK).Press(IDCANCEL);
    CHECK(!GetOpenFileNameA(&ofn));
    CHECK(driver.Unexpected() == 1);
    CHECK(driver.AllDone());
  }
}

TEST_CASE("top windows are found by caption and class; pumping runs the queue") {
  TWindowGuard wnd(MakePlainWindow());
  REQUIRE(SetWindowTextAnsi(wnd.Get(), "表示テスト窓"));
  CHECK(WindowText(wnd.Get()) == "表示テスト窓");
  CHECK(WindowClass(wnd.Get()) == "PelmoraPlainTestWindow");
  CHECK(FindTopWindow("表示テスト窓") == wnd.Get());
  CHECK(FindTopWindow("表示テスト窓", "PelmoraPlainTestWindow") == wnd.Get());
  CHECK(FindTopWindow("表示テスト窓", "#32770") == nullptr);
  CHECK(FindTopWindow("ない窓") == nullptr);

  static bool fired;
  fired = false;
  struct TTimer {
    static void CALLBACK Fire(HWND W, UINT, UINT_PTR Id, DWORD) {
      KillTimer(W, Id);
      fired = true;
    }
  };
  SetTimer(wnd.Get(), 1, 10, &TTimer::Fire);
  CHECK(PumpUntil([] { return fired; }, 5000));
}
