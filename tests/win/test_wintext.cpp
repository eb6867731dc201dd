// Code page 932 text to and from UTF-16 and window text.
#include <doctest.h>

#include "TestWindows.h"
#include "WinText.h"

using namespace Vcl;

TEST_CASE("CP932 and UTF-16 convert both ways") {
  struct Case {
    const char* ansi;
    const wchar_t* wide;
  };
  // "表" and "ソ" have 0x5C ("\") as their trail byte.
  const Case cases[] = {
      {"", L""},
      {"OK", L"OK"},
      {"キャンセル", L"キャンセル"},
      {"表示\\ソフト", L"表示\\ソフト"},
      {"ｱｲｳ", L"ｱｲｳ"},
      {"サイズを指定してください(例：32×32 →32)", L"サイズを指定してください(例：32×32 →32)"},
  };
  for (const Case& c : cases) {
    CAPTURE(c.ansi);
    CHECK(ToWide(c.ansi) == c.wide);
    CHECK(FromWide(std::wstring(c.wide)) == c.ansi);
  }
  // Embedded zero bytes are kept, not taken as the end.
  const AnsiString withZero("a\0b", 3);
  CHECK(ToWide(withZero) == std::wstring(L"a\0b", 3));
  CHECK(FromWide(std::wstring(L"a\0b", 3)) == withZero);
}

TEST_CASE("window text goes through CP932 whatever the window") {
  TWindowGuard wnd(MakePlainWindow());
  REQUIRE(wnd.Get());
  const AnsiString texts[] = {"Pelmora [C:\\表\\ソ.exe]", "", "サイズの指定"};
  for (const AnsiString& t : texts) {
    CAPTURE(t);
    REQUIRE(SetWindowTextAnsi(wnd.Get(), t));
    CHECK(GetWindowTextAnsi(wnd.Get()) == t);
    wchar_t buf[128] = {};
    GetWindowTextW(wnd.Get(), buf, 128);
    CHECK(std::wstring(buf) == ToWide(t));
  }
}
