// Malformed form text: every error names the problem and the line, the
// components made before it are destroyed, and nothing else changes.
#include <doctest.h>

#include "TestClasses.h"

using namespace Vcl;
using namespace Test;

namespace {

// A form whose Panel1 gets one property line (line 4) and that also holds a
// label, so references have something to point at.
AnsiString WithLine(const AnsiString& Line) {
  return "object Form1: TTestForm\r\n"
         "  object Panel1: TTestControl\r\n"
         "    Left = 1\r\n"
         "    " + Line + "\r\n"
         "  end\r\n"
         "  object Label1: TTestLabel\r\n"
         "  end\r\n"
         "end\r\n";
}

struct Case {
  AnsiString text;
  const char* message;
};

void CheckRefused(const Case& C) {
  CAPTURE(C.text);
  int controls = TTestControl::Instances, labels = TTestLabel::Instances;
  Log.clear();
  TTestForm form(nullptr);
  AnsiString message = "(accepted)";
  try {
    ReadComponentText(C.text, &form);
  } catch (const EReadError& e) {
    message = e.Message();
  }
  CHECK(message == AnsiString(C.message));
  // Nothing made during the read is left, and the root is usable again.
  CHECK(form.ComponentCount() == 0);
  CHECK(form.Panel1 == nullptr);
  CHECK(form.Label1 == nullptr);
  CHECK(TTestControl::Instances == controls);
  CHECK(TTestLabel::Instances == labels);
  CHECK_FALSE(form.HasState(csLoading | csReading));
  for (const std::string& entry : Log) CHECK(entry.rfind("Loaded", 0) != 0);
}

}  // namespace

TEST_CASE("malformed text is refused before anything is made") {
  RegisterTestClasses();
  const Case cases[] = {
      {WithLine("Caption = 'abc"), "行 4: 文字列が閉じていません."},
      {WithLine("Left = @"), "行 4: 不正な文字 '@' があります."},
      {WithLine("Left ="), "行 5: 値が必要ですが 'end' があります."},
      {WithLine("Left 5"), "行 4: '=' が必要ですが '5' があります."},
      {WithLine("Items = <item Text = 'a'>"), "行 4: プロパティ名が必要ですが '>' があります."},
      {WithLine("Blob = {0G}"), "行 4: バイナリデータに 16 進数でない文字があります."},
      {WithLine("Blob = {012}"), "行 4: バイナリデータの桁数が奇数です."},
      {WithLine("Caption = #300"), "行 4: 文字コード #300 は 8 ビットの文字ではありません."},
      {WithLine("Left = 12abc"), "行 4: 数値 12a が正しくありません."},
      {"object Form1: TTestForm\r\n  object Panel1: TTestControl\r\n    Left = 1\r\n  end\r\n",
       "行 5: object Form1 (行 1) に対応する end がありません."},
      {"object Form1: TTestForm\r\nend\r\nobject Form2: TTestForm\r\nend\r\n", "行 3: end の後に余分なテキストがあります."},
      {"inherited Form1: TTestForm\r\nend\r\n", "行 1: inherited には対応していません."},
      {"", "行 1: object が必要ですが ファイルの終わりがあります."},
  };
  for (const Case& c : cases) CheckRefused(c);
}

TEST_CASE("unknown classes and properties, and bad values, name the line; what was made is destroyed") {
  RegisterTestClasses();
  RegisterClass(TTestFont::StaticClass());  // registered, but not a component
  const Case cases[] = {
      {"object Form1: TTestForm\r\n  object Panel1: TTestControl\r\n    Left = 1\r\n  end\r\n"
       "  object X1: TNoSuch\r\n  end\r\nend\r\n",
       "行 5: クラス TNoSuch が見つかりません."},
      {"object Form1: TTestForm\r\n  object F1: TTestFont\r\n  end\r\nend\r\n",
       "行 2: クラス TTestFont のコンポーネントは作成できません."},
      // A class known from a property of the root that cannot be created that way.
      {"object Form1: TTestForm\r\n  object L1: TTestLabel\r\n  end\r\n  object S1: TStringList\r\n  end\r\nend\r\n",
       "行 4: クラス TStringList のコンポーネントは作成できません."},
      {WithLine("Colour = 1"), "行 4: Panel1 のプロパティ Colour が存在しません."},
      {WithLine("Font.Nmae = 'x'"), "行 4: Panel1 のプロパティ Font.Nmae が存在しません."},
      {WithLine("Left.X = 1"), "行 4: Panel1 のプロパティ Left はオブジェクトではありません."},
      {WithLine("Left = 'abc'"), "行 4: Panel1 のプロパティ Left に値 'abc' は設定できません."},
      {WithLine("Top = 99999999999"), "行 4: Panel1 のプロパティ Top に値 99999999999 は設定できません."},
      {WithLine("Font.Color = clPink"), "行 4: Panel1 のプロパティ Font.Color に値 clPink は設定できません."},
      {WithLine("Visible = Maybe"), "行 4: Panel1 のプロパティ Visible に値 Maybe は設定できません."},
      {WithLine("Align = alLeft"), "行 4: Panel1 のプロパティ Align に値 alLeft は設定できません."},
      {WithLine("Font.Style = [fsBold, fsHuge]"), "行 4: Panel1 のプロパティ Font.Style に要素 fsHuge はありません."},
      {WithLine("Ratio = 'x'"), "行 4: Panel1 のプロパティ Ratio に値 'x' は設定できません."},
      {WithLine("Letter = 'xy'"), "行 4: Panel1 のプロパティ Letter に値 'xy' は設定できません."},
      {WithLine("Caption = 12"), "行 4: Panel1 のプロパティ Caption に値 12 は設定できません."},
      {WithLine("Items = ('a')"), "行 4: Panel1 のプロパティ Items に値 (...) は設定できません."},
      {WithLine("Font = Label1"), "行 4: Panel1 のプロパティ Font は読み取り専用です."},
      {WithLine("Matrix = 1"), "行 4: Panel1 のプロパティ Matrix の型は読み込めません."},
      {WithLine("Name = '1abc'"), "行 4: Panel1.Name: '1abc' はコンポーネント名として正しくありません."},
      {WithLine("Extra = 5"), "行 4: Panel1 のプロパティ Extra: 文字列が必要ですが 5 があります."},
      {WithLine("Lines.Strings = ('a' 5)"), "行 4: Panel1 のプロパティ Lines.Strings: 文字列が必要ですが 5 があります."},
      {WithLine("Blob = 'text'"), "行 4: Panel1 のプロパティ Blob: バイナリデータが必要ですが 'text' があります."},
      {WithLine("Items = <\r\n      item\r\n        Colour = 2\r\n      end>"),
       "行 6: Panel1.Items[0] のプロパティ Colour が存在しません."},
      {"object Form1: TTestForm\r\n  object Panel1: TTestControl\r\n  end\r\n"
       "  object Panel1: TTestControl\r\n  end\r\nend\r\n",
       "行 4: コンポーネント名 Panel1 は既に存在します."},
  };
  for (const Case& c : cases) CheckRefused(c);
  UnRegisterClass(TTestFont::StaticClass());
}

TEST_CASE("references and events that cannot be resolved are refused after reading, with their line") {
  RegisterTestClasses();
  const Case cases[] = {
      {WithLine("Buddy = Button9"), "行 4: コンポーネント Button9 が見つかりません (Panel1.Buddy)."},
      {WithLine("Buddy = Label1"), "行 4: コンポーネント Label1 (TTestLabel) は Panel1.Buddy に設定できません."},
      {WithLine("Buddy = Form9.Panel1"), "行 4: コンポーネント Form9.Panel1 が見つかりません (Panel1.Buddy)."},
      {WithLine("OnClick = NoSuchClick"), "行 4: メソッド NoSuchClick が TTestForm にありません (Panel1.OnClick)."},
      {WithLine("OnClick = PanelMessage"), "行 4: メソッド PanelMessage の型がイベント Panel1.OnClick の型と一致しません."},
      {WithLine("OnMessage = Count"), "行 4: メソッド Count の型がイベント Panel1.OnMessage の型と一致しません."},
      {WithLine("OnClick = 5"), "行 4: Panel1 のプロパティ OnClick に値 5 は設定できません."},
  };
  for (const Case& c : cases) CheckRefused(c);
}

TEST_CASE("a root read after a failed read loads cleanly") {
  RegisterTestClasses();
  TTestForm form(nullptr);
  CHECK_THROWS_AS(ReadComponentText(WithLine("Buddy = Button9"), &form), EReadError);
  ReadComponentText(WithLine("Buddy = nil"), &form);
  CHECK(form.ComponentCount() == 2);
  CHECK(form.Panel1->Left() == 1);
  CHECK(form.Panel1->Buddy() == nullptr);
}

TEST_CASE("damaged text never crashes or leaks: every cut and every stray byte gives a read error or a form") {
  RegisterTestClasses();
  const AnsiString good =
      "object Form1: TTestForm\r\n"
      "  Caption = 'Main'\r\n"
      "  object Panel1: TTestControl\r\n"
      "    Left = 10\r\n"
      "    Font.Style = [fsBold]\r\n"
      "    Buddy = Button1\r\n"
      "    Items = <\r\n"
      "      item\r\n"
      "        Text = 'first'#13#10\r\n"
      "        OnMessage = ItemMessage\r\n"
      "      end>\r\n"
      "    Lines.Strings = (\r\n"
      "      'one')\r\n"
      "    Blob = {00FF}\r\n"
      "    OnClick = ButtonClick\r\n"
      "    object Button1: TTestControl\r\n"
      "      Left = 5\r\n"
      "    end\r\n"
      "  end\r\n"
      "end\r\n";
  int controls = TTestControl::Instances;
  int failures = 0, loads = 0;
  auto attempt = [&](const AnsiString& text) {
    TTestForm form(nullptr);
    try {
      ReadComponentText(text, &form);
      ++loads;
    } catch (const EReadError& e) {
      ++failures;
      CHECK(e.Message().rfind("行 ", 0) == 0);
      CHECK(form.ComponentCount() == 0);
    }
  };
  for (std::size_t cut = 0; cut < good.size(); ++cut) attempt(good.substr(0, cut));
  for (std::size_t at = 0; at < good.size(); ++at)
    for (char stray : {'\'', '#', '<', '{', '('}) attempt(good.substr(0, at) + stray + good.substr(at));
  CHECK(TTestControl::Instances == controls);
  CHECK(failures > 0);
  CHECK(loads > 0);
}
