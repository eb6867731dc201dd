// The input dialog, answered through the dialog driver.
#include <doctest.h>
#include <windows.h>

#include <functional>

#include "InputQuery.h"
#include "WinTestKit.h"
#include "WinText.h"

using namespace Vcl;
using namespace TestKit;

namespace {

const char* const Caption = "サイズの指定";
const char* const Prompt = "サイズを指定してください(例：32×32 →32)";

struct TAnswer {
  bool Result = false;
  AnsiString Value;
  TDialogSeen Seen;
  std::vector<AnsiString> Errors;
};

// Runs the dialog on Value while Script answers it.
TAnswer Ask(const AnsiString& Value, const std::function<void(TDialogScript&)>& Script,
            const AnsiString& PromptText = Prompt) {
  DialogDriver driver;
  Script(driver.Expect(Caption));
  TAnswer a;
  a.Value = Value;
  a.Result = InputQuery(Caption, PromptText, a.Value);
  REQUIRE(driver.Seen().size() == 1);
  a.Seen = driver.Seen()[0];
  a.Errors = driver.Errors();
  CHECK(driver.AllDone());
  return a;
}

}  // namespace

TEST_CASE("InputQuery: OK writes the text, Cancel and Esc leave the value") {
  struct Case {
    const char* name;
    std::function<void(TDialogScript&)> script;
    bool result;
    AnsiString value;
  };
  const Case cases[] = {
      {"typed then OK", [](TDialogScript& s) { s.Type(InputQueryEditId, "24").Press(IDOK); }, true, "24"},
      {"typed then Enter", [](TDialogScript& s) { s.Type(InputQueryEditId, "16").Key(VK_RETURN); }, true, "16"},
      {"OK by caption", [](TDialogScript& s) { s.Type(0, "$18").Press(AnsiString("OK")); }, true, "$18"},
      {"OK untouched", [](TDialogScript& s) { s.Press(IDOK); }, true, "32"},
      {"Japanese typed", [](TDialogScript& s) { s.Type(0, "２４ピクセル表").Key(VK_RETURN); }, true, "２４ピクセル表"},
      {"emptied then OK", [](TDialogScript& s) { s.SetText(InputQueryEditId, "").Press(IDOK); }, true, ""},
      {"Cancel button", [](TDialogScript& s) { s.Type(0, "99").Press(IDCANCEL); }, false, "32"},
      {"Cancel by caption", [](TDialogScript& s) { s.Type(0, "99").Press(AnsiString("キャンセル")); }, false,
       "32"},
      {"Esc", [](TDialogScript& s) { s.Type(0, "99").Key(VK_ESCAPE); }, false, "32"},
      {"closed", [](TDialogScript& s) { s.Type(0, "99").Close(); }, false, "32"},
  };
  for (const Case& c : cases) {
    CAPTURE(c.name);
    const TAnswer a = Ask("32", c.script);
    CHECK(a.Result == c.result);
    CHECK(a.Value == c.value);
    CHECK(a.Errors.empty());
  }
}

TEST_CASE("InputQuery: the edit box starts with the value, all selected, and takes 255 characters") {
  const AnsiString start = "表示 32";
  AnsiString text;
  DWORD selStart = 99, selEnd = 99;
  bool focused = false;
  const TAnswer a = Ask(start, [&](TDialogScript& s) {
    s.Do([&](HWND dlg) {
       HWND edit = GetDlgItem(dlg, InputQueryEditId);
       text = GetWindowTextAnsi(edit);
       SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&selStart), reinterpret_cast<LPARAM>(&selEnd));
       focused = GetFocus() == edit;
     }).Press(IDCANCEL);
  });
  CHECK(text == start);
  CHECK(selStart == 0);
  CHECK(selEnd == ToWide(start).size());
  CHECK(focused);
  CHECK(!a.Result);
  CHECK(a.Value == start);

  // Typing replaces the selection; the box stops at 255 characters.
  AnsiString typed;
  for (int i = 0; i < 300; ++i) typed += static_cast<char>('a' + i % 26);
  const TAnswer b = Ask("32", [&](TDialogScript& s) { s.Type(0, typed).Press(IDOK); });
  CHECK(b.Result);
  CHECK(b.Value == typed.substr(0, 255));

  // Double-byte characters count as one each.
  AnsiString wide;
  for (int i = 0; i < 300; ++i) wide += "表";
  const TAnswer c = Ask("", [&](TDialogScript& s) { s.Type(0, wide).Press(IDOK); });
  CHECK(ToWide(c.Value).size() == 255);
}

TEST_CASE("InputQuery: title, prompt, buttons, Japanese font, centred on the screen") {
  // The usual prompt, and one far wider than the usual dialog.
  const AnsiString prompts[] = {
      Prompt, "ここには入力ボックスの幅よりずっと長い説明文が一行で入りますので、ダイアログはその分だけ広くなります"};
  for (const AnsiString& promptText : prompts) {
    CAPTURE(promptText);
    RECT promptRect{}, dialogClient{};
    int promptNeeds = 0;
    LRESULT defId = 0;
    bool allGlyphs = false;
    const TAnswer a = Ask(
        "32",
        [&](TDialogScript& s) {
          s.Do([&](HWND dlg) {
             HWND prompt = GetDlgItem(dlg, InputQueryPromptId);
             GetWindowRect(prompt, &promptRect);
             MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&promptRect), 2);
             GetClientRect(dlg, &dialogClient);
             defId = SendMessageW(dlg, DM_GETDEFID, 0, 0);

             // The prompt fits on its line, and the dialog's font has a glyph
             // for each of its characters.
             const std::wstring text = ToWide(promptText);
             HDC dc = GetDC(prompt);
             HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(dlg, WM_GETFONT, 0, 0)));
             SIZE size{};
             GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
             promptNeeds = size.cx;
             std::vector<WORD> glyphs(text.size());
             GetGlyphIndicesW(dc, text.c_str(), static_cast<int>(text.size()), glyphs.data(),
                              GGI_MARK_NONEXISTING_GLYPHS);
             allGlyphs = std::find(glyphs.begin(), glyphs.end(), 0xFFFF) == glyphs.end();
             SelectObject(dc, old);
             ReleaseDC(prompt, dc);
           }).Press(IDCANCEL);
        },
        promptText);
    const TDialogSeen& seen = a.Seen;
    CHECK(seen.Caption == Caption);
    CHECK(seen.ClassName == "#32770");
    REQUIRE(seen.Control(InputQueryPromptId));
    CHECK(seen.Control(InputQueryPromptId)->Text == promptText);
    REQUIRE(seen.Control(IDOK));
    CHECK(seen.Control(IDOK)->Text == "OK");
    REQUIRE(seen.Control(IDCANCEL));
    CHECK(seen.Control(IDCANCEL)->Text == "キャンセル");
    REQUIRE(seen.Control(InputQueryEditId));
    CHECK(seen.Control(InputQueryEditId)->ClassName == "Edit");
    CHECK(LOWORD(defId) == IDOK);
    CHECK(HIWORD(defId) == DC_HASDEFID);
    CHECK(allGlyphs);
    CHECK(promptRect.right - promptRect.left >= promptNeeds);
    CHECK(promptRect.right <= dialogClient.right);

    const int screenW = GetSystemMetrics(SM_CXSCREEN), screenH = GetSystemMetrics(SM_CYSCREEN);
    const RECT& r = seen.Rect;
    CHECK(std::abs((r.left + r.right) - screenW) <= 1);
    CHECK(std::abs((r.top + r.bottom) - screenH) <= 1);
  }
}
