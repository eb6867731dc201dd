// The open dialog: the system's dialog with our title, filter and options,
// answered through the dialog driver.
#include <doctest.h>

#include <windows.h>
#include <commdlg.h>
#include <dlgs.h>

#include "Dialogs.h"
#include "Fixtures.h"
#include "Forms.h"
#include "WinTestKit.h"
#include "WinText.h"

using namespace Vcl;

namespace {

const char* const Title = "アイコンが含まれているファイルを開く";
const char* const Filter =
    "アイコンファイル(*.exe;*.dll;*.ico)|*.exe;*.dll;*.ico|実行可能ファイル(*.exe;*.dll)|*.exe;*.dll|"
    "全てのファイル(*.*)|*.*";

AnsiString ComboItem(HWND Combo, int Index) {
  const LRESULT len = SendMessageW(Combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(Index), 0);
  if (len < 0) return AnsiString();
  std::wstring w(static_cast<std::size_t>(len) + 1, L'\0');
  SendMessageW(Combo, CB_GETLBTEXT, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(w.data()));
  return FromWide(w.c_str(), wcslen(w.c_str()));
}

}  // namespace

TEST_CASE("TOpenDialog: title, filter rows and options reach the system's dialog") {
  TOpenDialog dialog(nullptr);
  dialog.SetTitle(Title);
  dialog.SetFilter(Filter);
  std::vector<AnsiString> rows;
  int selected = -1;
  LONG_PTR style = 0;
  bool readOnlyBoxShown = true;
  TestKit::DialogDriver driver;
  driver.Expect(Title)
      .Do([&](HWND dlg) {
        HWND types = GetDlgItem(dlg, cmb1);
        REQUIRE(types != nullptr);
        const int n = static_cast<int>(SendMessageW(types, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) rows.push_back(ComboItem(types, i));
        selected = static_cast<int>(SendMessageW(types, CB_GETCURSEL, 0, 0));
        style = GetWindowLongPtrW(dlg, GWL_STYLE);
        HWND readOnly = GetDlgItem(dlg, chx1);
        readOnlyBoxShown = readOnly && IsWindowVisible(readOnly);
      })
      .Press(IDCANCEL);
  CHECK_FALSE(dialog.Execute());
  REQUIRE(driver.Seen().size() == 1);
  CHECK(driver.Seen()[0].Caption == Title);
  REQUIRE(rows.size() == 3);
  CHECK(rows[0] == "アイコンファイル(*.exe;*.dll;*.ico)");
  CHECK(rows[1] == "実行可能ファイル(*.exe;*.dll)");
  CHECK(rows[2] == "全てのファイル(*.*)");
  CHECK(selected == 0);
  CHECK((style & WS_THICKFRAME) != 0);  // ofEnableSizing
  CHECK_FALSE(readOnlyBoxShown);        // ofHideReadOnly
  CHECK(dialog.FileName().empty());
}

TEST_CASE("TOpenDialog: a confirmed name is the full path; Cancel changes nothing") {
  const AnsiString existing = Fixtures::Path(Fixtures::IconLibrary);
  const AnsiString missing = Fixtures::Path("nothere.dll");
  struct Case {
    const char* name;
    AnsiString start;
    AnsiString typed;  // empty: Cancel
    bool result;
    AnsiString fileName;
  };
  const Case cases[] = {
      {"existing file", "", existing, true, existing},
      {"a name that does not exist", "", missing, true, missing},
      {"cancelled", existing, "", false, existing},
  };
  for (const Case& c : cases) {
    CAPTURE(c.name);
    TOpenDialog dialog(nullptr);
    dialog.SetTitle(Title);
    dialog.SetFilter(Filter);
    dialog.SetFileName(c.start);
    TestKit::DialogDriver driver;
    auto& script = driver.Expect(Title);
    if (c.typed.empty())
      script.Press(IDCANCEL);
    else
      script.Type(0, c.typed).Press(IDOK);  // the name box has the focus
    CHECK(dialog.Execute() == c.result);
    CHECK(dialog.FileName() == c.fileName);
    CHECK(driver.AllDone());
    CHECK(driver.Errors().empty());
    if (!c.start.empty()) {
      // The name box started with the file's name.
      REQUIRE(driver.Seen().size() == 1);
      CHECK(driver.Seen()[0].HasText(Fixtures::IconLibrary));
    }
  }
}
