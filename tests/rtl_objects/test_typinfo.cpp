// Class references, the class registry, published members and the typed
// property accessors.
#include <doctest.h>

#include <cstdint>

#include "TestClasses.h"

using namespace Vcl;
using namespace Test;

TEST_CASE("objects know their class, its name and its ancestors") {
  TTestControl c(nullptr);
  TObject* o = &c;
  CHECK(o->ClassName() == "TTestControl");
  CHECK(o->ClassType() == TTestControl::StaticClass());
  CHECK(o->ClassType()->Parent == TComponent::StaticClass());
  CHECK(o->InheritsFrom(TComponent::StaticClass()));
  CHECK(o->InheritsFrom(TPersistent::StaticClass()));
  CHECK(o->InheritsFrom(TObject::StaticClass()));
  CHECK_FALSE(o->InheritsFrom(TTestForm::StaticClass()));
  CHECK(dyn_cast<TComponent>(o) == &c);
  CHECK(dyn_cast<TTestForm>(o) == nullptr);
  CHECK(dyn_cast<TComponent>(nullptr) == nullptr);
  CHECK(TStringList::StaticClass()->ClassName() == "TStringList");
  CHECK(TStringList::StaticClass()->InheritsFrom(TStrings::StaticClass()));
}

TEST_CASE("the registry finds classes by name without regard to ASCII case") {
  RegisterTestClasses();
  CHECK(GetClass("TTestControl") == TTestControl::StaticClass());
  CHECK(GetClass("ttestcontrol") == TTestControl::StaticClass());
  CHECK(GetClass("TNoSuchClass") == nullptr);
  CHECK(FindClass("TTESTLABEL") == TTestLabel::StaticClass());
  try {
    FindClass("TNoSuchClass");
    FAIL("found");
  } catch (const EClassNotFound& e) {
    CHECK(e.Message() == "クラス TNoSuchClass が見つかりません.");
  }
  UnRegisterClass(TTestLabel::StaticClass());
  CHECK(GetClass("TTestLabel") == nullptr);
  RegisterTestClasses();
}

TEST_CASE("a class reference creates components through the virtual constructor") {
  RegisterTestClasses();
  TComponent owner(nullptr);
  struct Case {
    TClass cls;
    const char* name;
  };
  const Case cases[] = {{TTestControl::StaticClass(), "TTestControl"},
                        {TTestLabel::StaticClass(), "TTestLabel"},
                        {TComponent::StaticClass(), "TComponent"}};
  for (const Case& c : cases) {
    TComponent* made = CreateComponentOf(c.cls, &owner);
    CHECK(made->ClassName() == c.name);
    CHECK(made->Owner() == &owner);
    CHECK(owner.Components(owner.ComponentCount() - 1) == made);
  }
  int before = TTestControl::Instances;
  TClass ref = GetClass("TTestControl");
  TComponent* made = ref->Create(nullptr);
  CHECK(TTestControl::Instances == before + 1);
  made->Free();
  CHECK(TTestControl::Instances == before);
  CHECK_THROWS_WITH_AS(CreateComponentOf(TTestFont::StaticClass(), &owner),
                       "クラス TTestFont はコンポーネントではありません.", EComponentError);
  CHECK_THROWS_WITH_AS(CreateComponentOf(TStrings::StaticClass(), &owner),
                       "クラス TStrings はコンポーネントではありません.", EComponentError);
}

TEST_CASE("properties, methods and fields are found without regard to case along the ancestors") {
  TClass cls = TTestControl::StaticClass();
  struct Case {
    const char* name;
    TTypeKind kind;
  };
  // Every kind of the by-name tools' table, and some they refuse.
  const Case cases[] = {
      {"mystery", tkUnknown}, {"LEFT", tkInteger}, {"letter", tkChar},     {"Align", tkEnumeration},
      {"visible", tkEnumeration}, {"Ratio", tkFloat}, {"short", tkString}, {"Options", tkSet},
      {"font", tkClass},      {"OnClick", tkMethod}, {"wide", tkWChar},   {"caption", tkLString},
      {"WideText", tkWString}, {"data", tkVariant},  {"matrix", tkArray}, {"record", tkRecord},
      {"intf", tkInterface},  {"BIG", tkInt64},      {"dyn", tkDynArray}, {"tag", tkInteger},
      {"name", tkString},
  };
  for (const Case& c : cases) {
    CAPTURE(c.name);
    const TPropInfo* p = GetPropInfo(cls, c.name);
    REQUIRE(p != nullptr);
    CHECK(p->Kind == c.kind);
    CHECK(SameText(p->Name, c.name));
  }
  CHECK(GetPropInfo(cls, "") == nullptr);
  CHECK(GetPropInfo(cls, "Colour") == nullptr);
  CHECK(GetPropInfo(TComponent::StaticClass(), "Left") == nullptr);
  CHECK(GetPropInfo(TTestLabel::StaticClass(), "Tag")->Kind == tkInteger);  // inherited

  // Ancestors' properties come first, in declaration order.
  std::vector<const TPropInfo*> all = GetPropList(cls);
  REQUIRE(all.size() >= 4);
  CHECK(all[0]->Name == "Name");
  CHECK(all[1]->Name == "Tag");
  CHECK(all[2]->Name == "Left");
  CHECK(all[3]->Name == "Top");

  TTestForm form(nullptr);
  CHECK(form.MethodAddress("buttonclick") != nullptr);
  CHECK(form.MethodAddress("BUTTONCLICK") == form.MethodAddress("ButtonClick"));
  CHECK(form.MethodAddress("NoSuch") == nullptr);
  CHECK(form.MethodAddress("") == nullptr);
  CHECK(form.MethodAddress(AnsiString("ButtonClick") + AnsiString(300, 'x')) == nullptr);
  CHECK(form.ClassType()->FindField("panel1") != nullptr);
  CHECK(form.ClassType()->FindField("Caption") == nullptr);  // a property, not a field
  CHECK(GetPropInfo(&form, "Panel1") == nullptr);            // and a field is no property
}

TEST_CASE("ordinal, float, string, variant and object accessors read and write") {
  TTestControl c(nullptr), other(nullptr);
  SetOrdProp(&c, "Left", 30);
  CHECK(c.Left() == 30);
  CHECK(GetOrdProp(&c, "left") == 30);
  SetOrdProp(&c, "Visible", 0);
  CHECK_FALSE(c.Visible);
  CHECK(GetOrdProp(&c, "Visible") == 0);
  SetEnumProp(&c, "Align", "alClient");
  CHECK(c.Align == alClient);
  CHECK(GetEnumProp(&c, "Align") == "alClient");
  CHECK(GetEnumProp(&c, "Visible") == "False");
  SetOrdProp(&c, "Letter", 'q');
  CHECK(c.Letter == 'q');
  SetOrdProp(&c, "Wide", 0x3042);
  CHECK(c.Wide == 0x3042);
  SetOrdProp(&c, "Options", 5);
  CHECK(c.Options == 5);
  c.Font()->Style = TFontStyles{fsItalic, fsUnderline};
  CHECK(GetOrdProp(c.Font(), "Style") == 6);
  SetOrdProp(c.Font(), "Style", 1);
  CHECK(c.Font()->Style == TFontStyles{fsBold});
  SetInt64Prop(&c, GetPropInfo(&c, "Big"), 1LL << 40);
  CHECK(GetInt64Prop(&c, GetPropInfo(&c, "Big")) == (1LL << 40));
  SetFloatProp(&c, "Ratio", 2.75);
  CHECK(GetFloatProp(&c, "Ratio") == 2.75);
  SetStrProp(&c, "Caption", "見出し");
  CHECK(GetStrProp(&c, "caption") == "見出し");
  SetStrProp(&c, "Short", "s");
  SetStrProp(&c, "WideText", "w");
  CHECK(GetStrProp(&c, "Short") + GetStrProp(&c, "WideText") == "sw");
  SetVariantProp(&c, "Data", Variant("v"));
  CHECK(GetVariantProp(&c, "Data").AsString() == "v");
  SetObjectProp(&c, "Buddy", &other);
  CHECK(c.Buddy() == &other);
  CHECK(GetObjectProp(&c, "Buddy") == &other);
  // An object property travels as the object's address through the ordinal accessors.
  CHECK(GetOrdProp(&c, "Buddy") == static_cast<long long>(reinterpret_cast<std::intptr_t>(&other)));
  SetOrdProp(&c, "Buddy", 0);
  CHECK(c.Buddy() == nullptr);
  SetStrProp(&c, "Name", "Renamed");
  CHECK(c.Name() == "Renamed");
}

TEST_CASE("accessors refuse the wrong kind, read-only properties and objects of the wrong class") {
  TTestControl c(nullptr);
  TTestLabel label(nullptr);
  struct Case {
    void (*call)(TTestControl*, TTestLabel*);
    const char* message;
  };
  const Case cases[] = {
      {[](TTestControl* c, TTestLabel*) { GetOrdProp(c, "Caption"); }, "プロパティ Caption は順序型ではありません."},
      {[](TTestControl* c, TTestLabel*) { SetOrdProp(c, "Ratio", 1); }, "プロパティ Ratio は順序型ではありません."},
      {[](TTestControl* c, TTestLabel*) { GetFloatProp(c, "Left"); }, "プロパティ Left は浮動小数点型ではありません."},
      {[](TTestControl* c, TTestLabel*) { SetStrProp(c, "Left", "1"); }, "プロパティ Left は文字列型ではありません."},
      {[](TTestControl* c, TTestLabel*) { GetVariantProp(c, "Caption"); }, "プロパティ Caption はバリアント型ではありません."},
      {[](TTestControl* c, TTestLabel*) { GetMethodProp(c, "Left"); }, "プロパティ Left はイベント型ではありません."},
      {[](TTestControl* c, TTestLabel*) { GetObjectProp(c, "Left"); }, "プロパティ Left はクラス型ではありません."},
      {[](TTestControl* c, TTestLabel*) { GetEnumProp(c, "Left"); }, "プロパティ Left は列挙型ではありません."},
      {[](TTestControl* c, TTestLabel*) { SetEnumProp(c, "Align", "alLeft"); }, "プロパティ Align に値 alLeft は設定できません."},
      {[](TTestControl* c, TTestLabel*) { GetOrdProp(c, "Matrix"); }, "プロパティ Matrix は順序型ではありません."},
      {[](TTestControl* c, TTestLabel*) { SetObjectProp(c, "Font", nullptr); }, "プロパティ Font は読み取り専用です."},
      {[](TTestControl* c, TTestLabel* l) { SetObjectProp(c, "Buddy", l); },
       "クラス TTestLabel のオブジェクトはプロパティ Buddy に設定できません."},
      {[](TTestControl* c, TTestLabel*) { GetOrdProp(c, "Colour"); }, "クラス TTestControl にプロパティ Colour は存在しません."},
      {[](TTestControl* c, TTestLabel*) { GetOrdProp(c, nullptr); }, "プロパティ情報がありません."},
      {[](TTestControl*, TTestLabel*) { GetOrdProp(nullptr, GetPropInfo(TTestControl::StaticClass(), "Left")); },
       "プロパティの対象オブジェクトがありません."},
  };
  for (const Case& k : cases) {
    AnsiString message = "(accepted)";
    try {
      k.call(&c, &label);
    } catch (const EPropertyError& e) {
      message = e.Message();
    }
    CHECK(message == AnsiString(k.message));
  }
  CHECK(c.Buddy() == nullptr);
}

TEST_CASE("stored and default say what the writer keeps") {
  TTestControl c(nullptr);
  const TPropInfo* name = GetPropInfo(&c, "Name");
  const TPropInfo* left = GetPropInfo(&c, "Left");
  const TPropInfo* top = GetPropInfo(&c, "Top");
  const TPropInfo* visible = GetPropInfo(&c, "Visible");
  CHECK_FALSE(IsStoredProp(&c, name));
  CHECK(IsStoredProp(&c, left));
  CHECK_FALSE(left->HasDefault);
  CHECK(top->HasDefault);
  CHECK(top->Default == 0);
  CHECK(visible->Default == 1);
  CHECK(visible->IsBool);
  CHECK(GetPropInfo(&c, "Font")->IsReadOnly());
  CHECK_FALSE(GetPropInfo(&c, "Buddy")->IsReadOnly());
  CHECK(GetPropInfo(&c, "Matrix")->IsReadOnly());
}
