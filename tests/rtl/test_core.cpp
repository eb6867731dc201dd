// The portable core: integer conversion, command-line splitting, file-name
// functions, comparison and the error-box text rule.
#include <doctest.h>

#include "System.h"
#include "SysUtils.h"

using namespace Vcl;

TEST_CASE("literals are Shift-JIS") {
  const AnsiString open = "開く(&O)";
  const unsigned char expected[] = {0x8A, 0x4A, 0x82, 0xAD, 0x28, 0x26, 0x4F, 0x29};
  REQUIRE(open.size() == sizeof expected);
  for (std::size_t i = 0; i < sizeof expected; ++i) CHECK(static_cast<unsigned char>(open[i]) == expected[i]);
}

TEST_CASE("StrToInt accepts what the platform accepts") {
  struct Case { const char* text; int value; };
  const Case good[] = {
      {" 24", 24},          {"$18", 24},          {"-2147483648", -2147483648},
      {"2147483647", 2147483647}, {"0x1F", 31},   {"0X1f", 31},
      {"x10", 16},          {"X10", 16},          {"+7", 7},
      {"-$10", -16},        {"0", 0},             {"  -0", 0},
      {"$7FFFFFFF", 2147483647}, {"-$80000000", -2147483648},
  };
  for (const Case& c : good) {
    CAPTURE(c.text);
    CHECK(StrToInt(c.text) == c.value);
  }
}

TEST_CASE("StrToInt refuses the rest with the conversion error") {
  const char* bad[] = {"24 ", "2147483648", "abc", "", " ", "-", "$", "0x", "1a",
                       "$80000000", "-2147483649", "\t5", "12 3", "--1", "99999999999"};
  for (const char* text : bad) {
    CAPTURE(text);
    int v = 0;
    CHECK_FALSE(TryStrToInt(text, v));
    try {
      StrToInt(text);
      FAIL("no exception");
    } catch (const EConvertError& e) {
      CHECK(e.Message() == "'" + AnsiString(text) + "' は整数ではありません");
    }
  }
}

TEST_CASE("IntToStr") {
  CHECK(IntToStr(0) == "0");
  CHECK(IntToStr(10) == "10");
  CHECK(IntToStr(-2147483648LL) == "-2147483648");
}

TEST_CASE("command line splitting") {
  struct Case { const char* line; int count; const char* p0; const char* p1; const char* p2; };
  const Case cases[] = {
      {"prog.exe", 0, "prog.exe", "", ""},
      {"prog.exe a", 1, "prog.exe", "a", ""},
      {"prog.exe   a  b ", 2, "prog.exe", "a", "b"},
      {"\"C:\\Program Files\\p.exe\" \"C:\\my dir\\x.dll\"", 1, "C:\\Program Files\\p.exe",
       "C:\\my dir\\x.dll", ""},
      {"p \"\" a", 1, "p", "a", ""},                  // adjacent pair between arguments
      {"p \"\"\"\" a \"\" b", 2, "p", "a", "b"},       // two pairs, then another
      {"p a\"b c\"d e", 2, "p", "ab cd", "e"},        // quotes inside an argument
      {"p\t\x01x", 1, "p", "x", ""},                  // every byte up to 32 separates
      {"p \"unterminated arg", 1, "p", "unterminated arg", ""},
      {"p 表\\x.dll", 1, "p", "表\\x.dll", ""},
      {"", 0, "", "", ""},
  };
  for (const Case& c : cases) {
    CAPTURE(c.line);
    CHECK(ParamCount(c.line) == c.count);
    CHECK(ParamStr(c.line, 0) == c.p0);
    CHECK(ParamStr(c.line, 1) == c.p1);
    CHECK(ParamStr(c.line, 2) == c.p2);
  }
  CHECK(ParamStr("p a", 5) == "");
  CHECK(ParamStr("p a", -1) == "");
}

TEST_CASE("ExtractFileExt and friends respect delimiters and double-byte characters") {
  struct Case { const char* name; const char* ext; const char* file; const char* path; };
  const Case cases[] = {
      {"C:\\dir.x\\file", "", "file", "C:\\dir.x\\"},
      {"a:b", "", "b", "a:"},
      {"表.lnk", ".lnk", "表.lnk", ""},
      {"C:\\表\\能.ico", ".ico", "能.ico", "C:\\表\\"},  // both end in a 0x5C trail byte
      {"file.LNK", ".LNK", "file.LNK", ""},
      {"a.b.c", ".c", "a.b.c", ""},
      {"noext", "", "noext", ""},
      {"dir\\.hidden", ".hidden", ".hidden", "dir\\"},
      {"", "", "", ""},
  };
  for (const Case& c : cases) {
    CAPTURE(c.name);
    CHECK(ExtractFileExt(c.name) == c.ext);
    CHECK(ExtractFileName(c.name) == c.file);
    CHECK(ExtractFilePath(c.name) == c.path);
  }
}

TEST_CASE("comparisons answer -1, 0, 1") {
  CHECK(AnsiCompareStr("a", "b") == -1);
  CHECK(AnsiCompareStr("b", "a") == 1);
  CHECK(AnsiCompareStr("abc", "abc") == 0);
  CHECK(AnsiCompareStr("ab", "abc") == -1);
  CHECK(AnsiCompareStr("a", "A") != 0);
  CHECK(CompareText("Caption", "CAPTION") == 0);
  CHECK(CompareText("a", "B") == -1);
  CHECK(SameText("表a", "表A"));
  CHECK_FALSE(SameText("ａ", "Ａ"));  // only ASCII letters fold
  CHECK_FALSE(SameText("\x88\x61", "\x88\x41"));  // two kanji whose trail bytes are 'a' and 'A'
  CHECK(SameText("\x88\x61x", "\x88\x61X"));
}

TEST_CASE("error-box text gains a full stop after a character that sorts after it") {
  struct Case { const char* msg; const char* shown; };
  const Case cases[] = {
      {"", ""},
      {"abc", "abc."},
      {"abc.", "abc."},
      {"abc!", "abc!"},       // '!' sorts before '.'
      {"a)", "a)"},
      {"value 1", "value 1."},
      {"イメージサイズが正しくありません", "イメージサイズが正しくありません."},
      {"表", "表."},           // trail byte 0x5C: still one double-byte character
      {"ファイル a を作成できません.", "ファイル a を作成できません."},
  };
  for (const Case& c : cases) {
    CAPTURE(c.msg);
    CHECK(ExceptionDisplayText(c.msg) == c.shown);
  }
}

TEST_CASE("LastCharStart finds whole double-byte characters") {
  CHECK(LastCharStart("") == AnsiString::npos);
  CHECK(LastCharStart("ab") == 1);
  CHECK(LastCharStart("a表") == 1);
  CHECK(LastCharStart("表\\") == 2);  // a real backslash after the character
}
