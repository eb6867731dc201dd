// Form resources: reading components from form text and writing them back.
#include <doctest.h>

#include "TestClasses.h"

using namespace Vcl;
using namespace Test;

namespace {

// Form text in the tests is written with LF; the writer ends lines with CR LF.
AnsiString Crlf(const char* Text) {
  AnsiString r;
  for (const char* p = Text; *p; ++p) r += *p == '\n' ? AnsiString("\r\n") : AnsiString(1, *p);
  return r;
}

const char* const MainForm = R"(object Form1: TTestForm
  Caption = 'Main'
  object Panel1: TTestControl
    Left = 10
    Caption = 'Panel'
    Font.Name = 'MS Gothic'
    Font.Color = clRed
    Font.Style = [fsBold, fsItalic]
    Buddy = Button1
    Items = <
      item
        Text = 'first'
        Target = Label1
        OnMessage = ItemMessage
      end
      item
        Text = 'second'
        Tag = 2
      end>
    Lines.Strings = (
      'one'
      'two')
    OnMessage = PanelMessage
    Extra = 'defined'#13#10'value'
    object Button1: TTestControl
      Left = 5
      Caption = 'OK'
      Items = <>
      OnClick = ButtonClick
    end
  end
  object Label1: TTestLabel
    Text = 'It''s'
    Link = Panel1
  end
end
)";

}  // namespace

TEST_CASE("a form with nesting, forward references, events, a defined property and a collection loads and round-trips") {
  RegisterTestClasses();
  Log.clear();
  TTestForm form(nullptr);
  ReadComponentText(Crlf(MainForm), &form);

  SUBCASE("components are created through their classes, named, owned by the root and nested") {
    CHECK(form.Name() == "Form1");
    CHECK(form.Caption == "Main");
    REQUIRE(form.ComponentCount() == 3);
    REQUIRE(form.Panel1 != nullptr);
    REQUIRE(form.Button1 != nullptr);
    REQUIRE(form.Label1 != nullptr);
    CHECK(form.Components(0) == form.Panel1);
    CHECK(form.Components(1) == form.Button1);
    CHECK(form.Components(2) == form.Label1);
    CHECK(form.Panel1->ClassName() == "TTestControl");
    CHECK(form.Label1->ClassName() == "TTestLabel");
    CHECK(form.Button1->ParentControl() == form.Panel1);
    CHECK(form.Panel1->ParentControl() == nullptr);
    CHECK(form.Panel1->Left() == 10);
    CHECK(form.Panel1->Font()->Name == "MS Gothic");
    CHECK(form.Panel1->Font()->Color == 255);
    CHECK(form.Panel1->Font()->Style == TFontStyles{fsBold, fsItalic});
    CHECK(form.Label1->Text == "It's");
    CHECK(form.Panel1->Lines()->Text() == "one\r\ntwo\r\n");
    CHECK(form.Panel1->Extra == "defined\r\nvalue");
  }

  SUBCASE("references, also to components read later, are resolved") {
    CHECK(form.Panel1->Buddy() == form.Button1);
    CHECK(form.Label1->Link == form.Panel1);
    REQUIRE(form.Panel1->Items()->Count() == 2);
    CHECK(form.Panel1->Items()->Item(0)->Target == form.Label1);
    CHECK(form.Panel1->Items()->Item(1)->Tag == 2);
    CHECK(form.Panel1->Items()->Item(1)->GetDisplayName() == "second");
  }

  SUBCASE("events call the root's published methods") {
    form.Button1->OnClick(form.Button1);
    TMessage m;
    m.Msg = 0x400;
    bool handled = false;
    form.Panel1->OnMessage(form.Panel1, m, handled);
    form.Panel1->Items()->Item(0)->OnMessage(form.Panel1->Items()->Item(0), m);
    CHECK(form.Calls == std::vector<std::string>{"ButtonClick", "PanelMessage 1024", "ItemMessage first"});
    CHECK(handled);
    CHECK_FALSE(form.Panel1->Items()->Item(1)->OnMessage.Assigned());
  }

  SUBCASE("csLoading is set while reading, then Loaded runs in read order") {
    CHECK(Log == std::vector<std::string>{"SetCaption Panel1 loading reading", "SetCaption Button1 loading reading",
                                          "Loaded Form1 loading", "Loaded Panel1 loading", "Loaded Button1 loading",
                                          "Loaded Label1 loading"});
    for (TComponent* c : {static_cast<TComponent*>(&form), static_cast<TComponent*>(form.Panel1),
                          static_cast<TComponent*>(form.Button1), static_cast<TComponent*>(form.Label1)})
      CHECK_FALSE(c->HasState(csLoading | csReading));
  }

  SUBCASE("the writer gives back the same text") { CHECK(WriteComponentText(&form) == Crlf(MainForm)); }
}

TEST_CASE("values of every readable kind are read and written back alike") {
  RegisterTestClasses();
  struct Case {
    const char* line;  // a property of Panel1, written as the writer writes it
    bool (*check)(TTestControl*);
  };
  const Case cases[] = {
      {"Top = -3", [](TTestControl* c) { return c->Top == -3; }},
      {"Caption = 'a''b'", [](TTestControl* c) { return c->Caption() == "a'b"; }},
      {"Caption = #9'tab'#0", [](TTestControl* c) { return c->Caption() == AnsiString("\ttab\0", 5); }},
      {"Caption = 'アイコン (*.ico)|*.ico'", [](TTestControl* c) { return c->Caption() == "アイコン (*.ico)|*.ico"; }},
      {"Caption = '表示'", [](TTestControl* c) { return c->Caption() == "表示"; }},
      {"Visible = False", [](TTestControl* c) { return !c->Visible; }},
      {"Align = alClient", [](TTestControl* c) { return c->Align == alClient; }},
      {"Font.Size = 12", [](TTestControl* c) { return c->Font()->Size == 12; }},
      {"Font.Color = clBtnFace", [](TTestControl* c) { return c->Font()->Color == -2147483633; }},
      {"Font.Color = 12345", [](TTestControl* c) { return c->Font()->Color == 12345; }},
      {"Ratio = 2.75", [](TTestControl* c) { return c->Ratio == 2.75; }},
      {"Ratio = -0.1", [](TTestControl* c) { return c->Ratio == -0.1; }},
      {"Ratio = 1E20", [](TTestControl* c) { return c->Ratio == 1e20; }},
      {"Ratio = 3.0", [](TTestControl* c) { return c->Ratio == 3.0; }},
      {"Letter = 'x'", [](TTestControl* c) { return c->Letter == 'x'; }},
      {"Letter = #10", [](TTestControl* c) { return c->Letter == '\n'; }},
      {"Wide = 12354", [](TTestControl* c) { return c->Wide == 12354; }},
      {"Big = 1234567890123", [](TTestControl* c) { return c->Big == 1234567890123LL; }},
      {"Short = 'short'", [](TTestControl* c) { return c->Short == "short"; }},
      {"WideText = 'wide'", [](TTestControl* c) { return c->WideText == "wide"; }},
      {"Data = 42", [](TTestControl* c) { return c->Data.VarType() == varInteger && c->Data.AsInteger() == 42; }},
      {"Data = 'text'", [](TTestControl* c) { return c->Data.VarType() == varString && c->Data.AsString() == "text"; }},
      {"Data = 1.5", [](TTestControl* c) { return c->Data.VarType() == varDouble && c->Data.AsDouble() == 1.5; }},
      {"Data = True", [](TTestControl* c) { return c->Data.VarType() == varBoolean && c->Data.AsBoolean(); }},
      {"Options = [fsItalic, fsStrikeOut]", [](TTestControl* c) { return c->Options == 10; }},
  };
  for (const Case& k : cases) {
    AnsiString line = k.line;
    CAPTURE(line);
    AnsiString text = Crlf("object Form1: TTestForm\n  object Panel1: TTestControl\n    Left = 0\n    ") + k.line +
                      Crlf("\n    Items = <>\n  end\nend\n");
    TTestForm form(nullptr);
    ReadComponentText(text, &form);
    REQUIRE(form.Panel1 != nullptr);
    CHECK(k.check(form.Panel1));
    CHECK(WriteComponentText(&form) == text);
  }
}

TEST_CASE("long strings are split with + and read back whole") {
  RegisterTestClasses();
  TTestForm form(nullptr);
  TTestControl* c = new TTestControl(&form);
  c->SetName("Panel1");
  AnsiString caption;
  for (int i = 0; i < 40; ++i) caption += "表示" + IntToStr(i) + "'";
  c->SetCaption(caption);
  c->Blob = AnsiString("\x00\x01\xFF\x7F", 4) + AnsiString(40, 'z');
  AnsiString text = WriteComponentText(&form);
  CHECK(text.find("' +\r\n") != AnsiString::npos);
  CHECK(text.find("Blob = {") != AnsiString::npos);
  TTestForm copy(nullptr);
  ReadComponentText(text, &copy);
  REQUIRE(copy.Panel1 != nullptr);
  CHECK(copy.Panel1->Caption() == caption);
  CHECK(copy.Panel1->Blob == c->Blob);
  CHECK(WriteComponentText(&copy) == text);
}

TEST_CASE("the writer leaves out defaults and what is not stored, and writes what differs") {
  RegisterTestClasses();
  TTestForm form(nullptr);
  form.SetName("Form1");
  TTestControl* c = new TTestControl(&form);
  c->SetName("Panel1");
  CHECK(WriteComponentText(&form) ==
        Crlf("object Form1: TTestForm\n  object Panel1: TTestControl\n    Left = 0\n    Items = <>\n  end\nend\n"));
  c->SetTag(7);
  c->Visible = false;
  c->OnClick = TNotifyEvent::Bind<&TTestForm::OtherClick>(&form);
  // An event bound to another object cannot be named in the form's text.
  TTestForm other(nullptr);
  c->OnMessage = TMessageEventHandler::Bind<&TTestForm::PanelMessage>(&other);
  CHECK(WriteComponentText(&form) == Crlf("object Form1: TTestForm\n  object Panel1: TTestControl\n    Tag = 7\n"
                                          "    Left = 0\n    Visible = False\n    Items = <>\n"
                                          "    OnClick = OtherClick\n  end\nend\n"));
}

TEST_CASE("the root takes the name in the text, made unique in its owner") {
  RegisterTestClasses();
  TComponent owner(nullptr);
  TTestForm* first = new TTestForm(&owner);
  TTestForm* second = new TTestForm(&owner);
  ReadComponentText(Crlf("object Form1: TTestForm\nend\n"), first);
  ReadComponentText(Crlf("object Form1: TTestForm\nend\n"), second);
  CHECK(first->Name() == "Form1");
  CHECK(second->Name() == "Form1_1");
}

TEST_CASE("references to another root go through the global lookup") {
  RegisterTestClasses();
  static TTestForm* other = nullptr;
  TTestForm second(nullptr);
  ReadComponentText(Crlf("object Form2: TTestForm\n  object Panel1: TTestControl\n    Left = 0\n  end\nend\n"), &second);
  other = &second;
  SetFindGlobalComponent([](const AnsiString& Name) -> TComponent* { return SameText(Name, "Form2") ? other : nullptr; });
  TTestForm form(nullptr);
  ReadComponentText(Crlf("object Form1: TTestForm\n  object Label1: TTestLabel\n    Link = Form2.Panel1\n  end\n"
                         "  object Label2: TTestLabel\n    Link = Form2.Owner\n  end\nend\n"),
                    &form);
  CHECK(form.Label1->Link == second.Panel1);
  CHECK(dyn_cast<TTestLabel>(form.FindComponent("Label2"))->Link == &second);
  CHECK(WriteComponentText(&form).find("Link = Form2.Panel1") != AnsiString::npos);
  SetFindGlobalComponent(nullptr);
}

TEST_CASE("a class is found from the root's fields even when it is not registered") {
  TTestForm form(nullptr);
  UnRegisterClass(TTestControl::StaticClass());
  ReadComponentText(Crlf("object Form1: TTestForm\n  object Panel1: TTestControl\n    Left = 1\n  end\nend\n"), &form);
  CHECK(form.Panel1->Left() == 1);
  RegisterTestClasses();
}

TEST_CASE("unnamed components and TReader values in defined properties") {
  RegisterTestClasses();
  TTestForm form(nullptr);
  ReadComponentText(Crlf("object Form1: TTestForm\n  object TTestLabel\n    Text = 'x'\n  end\nend\n"), &form);
  REQUIRE(form.ComponentCount() == 1);
  CHECK(form.Components(0)->Name().empty());
  CHECK(WriteComponentText(&form) == Crlf("object Form1: TTestForm\n  object TTestLabel\n    Text = 'x'\n  end\nend\n"));
}

namespace {

// A component whose one defined property, "Custom", is read and written by
// the test.
class TScripted : public TComponent {
  VCL_CLASS(TScripted)
 public:
  explicit TScripted(TComponent* AOwner) : TComponent(AOwner) {}
  static inline std::function<void(TReader*)> Read;
  static inline std::function<void(TWriter*)> Write;
  void DefineProperties(TFiler* Filer) override {
    Filer->DefineProperty("Custom", Read, Write, bool(Write));
  }
};

VCL_PUBLISH(TScripted, TComponent, Component) {}

AnsiString ScriptedText(const AnsiString& Value) {
  return "object S1: TScripted\r\n  Custom = " + Value + "\r\nend\r\n";
}

}  // namespace

TEST_CASE("defined properties read every kind of value through TReader") {
  TTestItems items(nullptr);
  std::vector<std::string> seen;
  TScripted::Read = [&](TReader* R) {
    R->ReadListBegin();
    while (!R->EndOfList()) {
      switch (R->NextValue()) {
        case vaInt32: seen.push_back("int " + std::to_string(R->ReadInteger())); break;
        case vaInt64: seen.push_back("int64 " + std::to_string(R->ReadInt64())); break;
        case vaExtended: seen.push_back("float " + std::to_string(R->ReadFloat())); break;
        case vaString: seen.push_back("string " + R->ReadString()); break;
        case vaTrue:
        case vaFalse: seen.push_back(R->ReadBoolean() ? "true" : "false"); break;
        case vaIdent: seen.push_back("ident " + R->ReadIdent()); break;
        case vaNil: seen.push_back("nil " + R->ReadIdent()); break;
        case vaCollection: R->ReadCollection(&items), seen.push_back("collection"); break;
        case vaList:
          R->ReadListBegin();
          seen.push_back("list of " + std::to_string(R->ReadInteger()));
          R->ReadListEnd();
          break;
        default: FAIL("unexpected value"); break;
      }
    }
    R->ReadListEnd();
  };
  TScripted s(nullptr);
  ReadComponentText(ScriptedText("(1 5000000000 2.5 'x' True False Name nil <item Text = 'i' end> (7))"), &s);
  CHECK(seen == std::vector<std::string>{"int 1", "int64 5000000000", "float 2.500000", "string x", "true", "false",
                                         "ident Name", "nil nil", "collection", "list of 7"});
  REQUIRE(items.Count() == 1);
  CHECK(items.Item(0)->Text == "i");

  TScripted::Read = [&](TReader* R) { CHECK(R->ReadChar() == 'c'); };
  ReadComponentText(ScriptedText("'c'"), &s);
  TScripted::Read = [&](TReader* R) { CHECK(R->ReadVariant() == Variant(2.5)); };
  ReadComponentText(ScriptedText("2.5"), &s);

  struct Case {
    std::function<void(TReader*)> read;
    const char* value;
    const char* message;
  };
  const Case refused[] = {
      {[](TReader* R) { R->ReadInteger(); }, "'x'", "行 2: S1 のプロパティ Custom: 整数が必要ですが 'x' があります."},
      {[](TReader* R) { R->ReadInteger(); }, "5000000000", "行 2: S1 のプロパティ Custom: 整数が必要ですが 5000000000 があります."},
      {[](TReader* R) { R->ReadString(); }, "(1)", "行 2: S1 のプロパティ Custom: 文字列が必要ですが (...) があります."},
      {[](TReader* R) { R->ReadBoolean(); }, "1", "行 2: S1 のプロパティ Custom: True または False が必要ですが 1 があります."},
      {[](TReader* R) { R->ReadChar(); }, "'xy'", "行 2: S1 のプロパティ Custom: 1 文字の文字列が必要ですが 'xy' があります."},
      {[](TReader* R) { R->ReadListBegin(); }, "(1)", "行 2: S1 のプロパティ Custom の値が最後まで読まれていません."},
      {[](TReader* R) { R->ReadListBegin(); R->ReadListEnd(); }, "(1)",
       "行 2: S1 のプロパティ Custom: リストの終わりが必要ですが 1 があります."},
      {[](TReader* R) { R->ReadListBegin(); R->ReadInteger(); R->ReadInteger(); }, "(1)",
       "行 2: S1 のプロパティ Custom: 値が必要ですがリストの終わりです."},
      {[](TReader* R) { R->ReadListEnd(); }, "1", "行 2: S1 のプロパティ Custom: リストの終わりが必要ですが 1 があります."},
      {[](TReader* R) { R->ReadInteger(); R->ReadListEnd(); }, "1", "行 2: S1 のプロパティ Custom: リストの始まりがありません."},
      {[](TReader*) {}, "1", "行 2: S1 のプロパティ Custom の値が最後まで読まれていません."},
  };
  for (const Case& c : refused) {
    TScripted::Read = c.read;
    AnsiString message = "(accepted)";
    try {
      TScripted t(nullptr);
      ReadComponentText(ScriptedText(c.value), &t);
    } catch (const EReadError& e) {
      message = e.Message();
    }
    CHECK(message == AnsiString(c.message));
  }
  TScripted::Read = nullptr;
}

TEST_CASE("defined properties write exactly one value through TWriter") {
  TScripted s(nullptr);
  s.SetName("S1");
  TTestItems items(nullptr);
  static_cast<TTestItem*>(items.Add())->Text = "i";
  TScripted::Write = [&](TWriter* W) {
    W->WriteListBegin();
    W->WriteInteger(-1);
    W->WriteInteger(5000000000LL);
    W->WriteFloat(0.5);
    W->WriteString("s");
    W->WriteBoolean(true);
    W->WriteIdent("Form2.Button1");
    W->WriteChar('c');
    W->WriteVariant(Variant(7));
    W->WriteCollection(&items);
    W->WriteListBegin();
    W->WriteListEnd();
    W->WriteListEnd();
  };
  AnsiString text = WriteComponentText(&s);
  CHECK(text == ScriptedText("(\r\n    -1\r\n    5000000000\r\n    0.5\r\n    's'\r\n    True\r\n    Form2.Button1\r\n"
                             "    'c'\r\n    7\r\n    <\r\n      item\r\n        Text = 'i'\r\n      end>\r\n    ())"));
  // The same text reads back and writes again alike.
  std::vector<TValueType> kinds;
  TScripted::Read = [&](TReader* R) {
    R->ReadListBegin();
    while (!R->EndOfList()) {
      kinds.push_back(R->NextValue());
      if (R->NextValue() == vaCollection) {
        TTestItems scratch(nullptr);
        R->ReadCollection(&scratch);
      } else if (R->NextValue() == vaList) {
        R->ReadListBegin();
        R->ReadListEnd();
      } else if (R->NextValue() == vaIdent) {
        R->ReadIdent();
      } else {
        R->ReadVariant();
      }
    }
    R->ReadListEnd();
  };
  TScripted back(nullptr);
  ReadComponentText(text, &back);
  CHECK(kinds == std::vector<TValueType>{vaInt32, vaInt64, vaExtended, vaString, vaTrue, vaIdent, vaString, vaInt32,
                                         vaCollection, vaList});
  TScripted::Read = nullptr;

  struct Case {
    std::function<void(TWriter*)> write;
    const char* message;
  };
  const Case refused[] = {
      {[](TWriter*) {}, "プロパティ Custom には値を 1 つ書き込んでください."},
      {[](TWriter* W) { W->WriteInteger(1), W->WriteInteger(2); }, "プロパティ Custom には値を 1 つ書き込んでください."},
      {[](TWriter* W) { W->WriteListBegin(); }, "プロパティ Custom のリストが閉じていません."},
      {[](TWriter* W) { W->WriteListEnd(); }, "リストの始まりがありません."},
      {[](TWriter* W) { W->WriteIdent("1x"); }, "'1x' は識別子ではありません."},
      {[](TWriter* W) { W->WriteFloat(1.0 / 0.0); }, "有限でない数は書き込めません."},
  };
  for (const Case& c : refused) {
    TScripted::Write = c.write;
    AnsiString message = "(accepted)";
    try {
      WriteComponentText(&s);
    } catch (const EWriteError& e) {
      message = e.Message();
    }
    CHECK(message == AnsiString(c.message));
  }
  TScripted::Write = nullptr;
  CHECK(WriteComponentText(&s) == "object S1: TScripted\r\nend\r\n");
}
