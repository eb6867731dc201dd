// Variants: the kinds, their conversions and the variant error.
#include <doctest.h>

#include <cmath>

#include "Variants.h"

using namespace Vcl;

TEST_CASE("variants keep their kind") {
  CHECK(Variant().VarType() == varEmpty);
  CHECK(Variant().IsEmpty());
  CHECK(Variant(5).VarType() == varInteger);
  CHECK(Variant(5LL).VarType() == varInt64);
  CHECK(Variant(2.5).VarType() == varDouble);
  CHECK(Variant(true).VarType() == varBoolean);
  CHECK(Variant("x").VarType() == varString);  // not a Boolean
  CHECK(Variant(AnsiString("x")).VarType() == varString);
  Variant v = 3;
  v.Clear();
  CHECK(v.IsEmpty());
  CHECK(Variant(1) == Variant(1));
  CHECK(Variant(1) != Variant(1.0));  // another kind
  CHECK(Variant("a") == Variant("a"));
}

TEST_CASE("conversions to integer, double, string and Boolean") {
  struct Case {
    Variant value;
    int asInt;
    double asDouble;
    const char* asString;
    bool asBool;
  };
  const Case cases[] = {
      {Variant(), 0, 0.0, "", false},
      {Variant(-12), -12, -12.0, "-12", true},
      {Variant(0), 0, 0.0, "0", false},
      {Variant(2.75), 3, 2.75, "2.75", true},
      {Variant(-2.75), -3, -2.75, "-2.75", true},
      {Variant(2.5), 2, 2.5, "2.5", true},   // half to even
      {Variant(3.5), 4, 3.5, "3.5", true},
      {Variant(1e20 / 1e20), 1, 1.0, "1", true},
      {Variant(true), -1, -1.0, "True", true},
      {Variant(false), 0, 0.0, "False", false},
      {Variant("30"), 30, 30.0, "30", true},
      {Variant(" 7 "), 7, 7.0, " 7 ", true},
      {Variant("$1F"), 31, 31.0, "$1F", true},
      {Variant("2.5"), 2, 2.5, "2.5", true},
      {Variant("-0"), 0, 0.0, "-0", false},
  };
  for (const Case& c : cases) {
    CAPTURE(c.asString);
    CHECK(c.value.AsInteger() == c.asInt);
    CHECK(c.value.AsDouble() == c.asDouble);
    CHECK(c.value.AsString() == AnsiString(c.asString));
    CHECK(c.value.AsBoolean() == c.asBool);
  }
  CHECK(Variant("true").AsBoolean());
  CHECK_FALSE(Variant("FALSE").AsBoolean());
  CHECK(Variant(1e20).AsString() == "1E20");
  CHECK(Variant(0.1 + 0.2).AsString() == "0.3");
  CHECK(Variant(1.5e-7).AsString() == "1.5E-7");
  CHECK(Variant(123456789012345.0).AsString() == "123456789012345");
  CHECK(Variant(5000000000LL).AsString() == "5000000000");
  CHECK(Variant(5000000000LL).AsInt64() == 5000000000LL);
  CHECK(static_cast<int>(Variant("12")) == 12);
  CHECK(static_cast<AnsiString>(Variant(12)) == "12");
}

TEST_CASE("a conversion that cannot be made raises the variant error") {
  struct Case {
    Variant value;
    int target;
    const char* message;
  };
  const Case cases[] = {
      {Variant("abc"), varInteger, "バリアント型 (String) を型 (Integer) に変換できません."},
      {Variant(""), varInteger, "バリアント型 (String) を型 (Integer) に変換できません."},
      {Variant("1a"), varDouble, "バリアント型 (String) を型 (Double) に変換できません."},
      {Variant("maybe"), varBoolean, "バリアント型 (String) を型 (Boolean) に変換できません."},
      {Variant(3e9), varInteger, "バリアント型 (Double) から型 (Integer) への変換でオーバーフローしました."},
      {Variant(5000000000LL), varInteger, "バリアント型 (Int64) から型 (Integer) への変換でオーバーフローしました."},
      {Variant("99999999999"), varInteger, "バリアント型 (String) から型 (Integer) への変換でオーバーフローしました."},
      {Variant(std::nan("")), varInteger, "バリアント型 (Double) から型 (Integer) への変換でオーバーフローしました."},
  };
  for (const Case& c : cases) {
    AnsiString message = "(converted)";
    try {
      if (c.target == varInteger) c.value.AsInteger();
      if (c.target == varDouble) c.value.AsDouble();
      if (c.target == varBoolean) c.value.AsBoolean();
    } catch (const EVariantError& e) {
      message = e.Message();
    }
    CHECK(message == AnsiString(c.message));
  }
}
