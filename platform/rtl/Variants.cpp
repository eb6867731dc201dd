#include "Variants.h"

#include <charconv>
#include <climits>
#include <cmath>

namespace Vcl {

AnsiString VarTypeName(int VarType) {
  switch (VarType) {
    case varEmpty: return "Empty";
    case varInteger: return "Integer";
    case varDouble: return "Double";
    case varBoolean: return "Boolean";
    case varInt64: return "Int64";
    case varString: return "String";
  }
  return "Unknown";
}

namespace {

[[noreturn]] void ConvertError(int From, int To) {
  throw EVariantError("バリアント型 (" + VarTypeName(From) + ") を型 (" + VarTypeName(To) + ") に変換できません.");
}

[[noreturn]] void OverflowError(int From, int To) {
  throw EVariantError("バリアント型 (" + VarTypeName(From) + ") から型 (" + VarTypeName(To) +
                      ") への変換でオーバーフローしました.");
}

AnsiString Trimmed(const AnsiString& S) {
  std::size_t b = 0, e = S.size();
  while (b < e && static_cast<unsigned char>(S[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(S[e - 1]) <= ' ') --e;
  return S.substr(b, e - b);
}

// Integer text: what StrToInt accepts, widened to 64 bits.
bool TryStrToInt64(const AnsiString& S, long long& Value) {
  AnsiString t = Trimmed(S);
  int v32 = 0;
  if (TryStrToInt(t, v32)) {
    Value = v32;
    return true;
  }
  const char* b = t.data();
  const char* e = b + t.size();
  if (b != e && *b == '+') ++b;
  auto r = std::from_chars(b, e, Value);
  return b != e && r.ec == std::errc() && r.ptr == e;
}

// Rounds half to even, as the platform's variant conversions do.
bool RoundToInt64(double D, long long& Value) {
  if (!std::isfinite(D)) return false;
  double r = std::nearbyint(D);
  if (std::fabs(r - D) == 0.5) r = 2.0 * std::nearbyint(D / 2.0);
  if (r < -9223372036854775808.0 || r >= 9223372036854775808.0) return false;
  Value = static_cast<long long>(r);
  return true;
}

}  // namespace

bool TryStrToFloat(const AnsiString& S, double& Value) {
  AnsiString t = Trimmed(S);
  const char* b = t.data();
  const char* e = b + t.size();
  if (b != e && *b == '+') ++b;
  if (b == e) return false;
  auto r = std::from_chars(b, e, Value, std::chars_format::general);
  return r.ec == std::errc() && r.ptr == e;
}

AnsiString FloatToStr(double Value) {
  if (std::isnan(Value)) return "NAN";
  if (std::isinf(Value)) return Value < 0 ? "-INF" : "INF";
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, Value, std::chars_format::general, 15);
  AnsiString s(buf, r.ptr);
  // "1e+20" -> "1E20", "1.5e-07" -> "1.5E-7".
  std::size_t e = s.find('e');
  if (e != AnsiString::npos) {
    AnsiString mant = s.substr(0, e), exp = s.substr(e + 1);
    bool neg = !exp.empty() && exp[0] == '-';
    std::size_t d = exp.find_first_not_of("+-0");
    s = mant + "E" + (neg ? "-" : "") + (d == AnsiString::npos ? "0" : exp.substr(d));
  }
  return s;
}

long long Variant::ToInteger(int Target) const {
  switch (FType) {
    case varEmpty: return 0;
    case varInteger:
    case varInt64: return FInt;
    case varBoolean: return FInt ? -1 : 0;
    case varDouble: {
      long long v = 0;
      if (!RoundToInt64(FDouble, v)) OverflowError(FType, Target);
      return v;
    }
    case varString: {
      long long v = 0;
      if (TryStrToInt64(FString, v)) return v;
      double d = 0;
      if (!TryStrToFloat(FString, d)) ConvertError(FType, Target);
      if (!RoundToInt64(d, v)) OverflowError(FType, Target);
      return v;
    }
  }
  ConvertError(FType, Target);
}

long long Variant::AsInt64() const { return ToInteger(varInt64); }

int Variant::AsInteger() const {
  long long v = ToInteger(varInteger);
  if (v < INT_MIN || v > INT_MAX) OverflowError(FType, varInteger);
  return static_cast<int>(v);
}

double Variant::AsDouble() const {
  switch (FType) {
    case varEmpty: return 0.0;
    case varInteger:
    case varInt64: return static_cast<double>(FInt);
    case varBoolean: return FInt ? -1.0 : 0.0;
    case varDouble: return FDouble;
    case varString: {
      double d = 0;
      long long v = 0;
      if (TryStrToFloat(FString, d)) return d;
      if (TryStrToInt64(FString, v)) return static_cast<double>(v);  // hexadecimal forms
      ConvertError(FType, varDouble);
    }
  }
  ConvertError(FType, varDouble);
}

AnsiString Variant::AsString() const {
  switch (FType) {
    case varEmpty: return AnsiString();
    case varInteger:
    case varInt64: return IntToStr(FInt);
    case varBoolean: return FInt ? "True" : "False";
    case varDouble: return FloatToStr(FDouble);
    case varString: return FString;
  }
  ConvertError(FType, varString);
}

bool Variant::AsBoolean() const {
  switch (FType) {
    case varEmpty: return false;
    case varInteger:
    case varInt64:
    case varBoolean: return FInt != 0;
    case varDouble: return FDouble != 0.0;
    case varString: {
      AnsiString t = Trimmed(FString);
      if (SameText(t, "True")) return true;
      if (SameText(t, "False")) return false;
      double d = 0;
      long long v = 0;
      if (TryStrToInt64(t, v)) return v != 0;
      if (TryStrToFloat(t, d)) return d != 0.0;
      ConvertError(FType, varBoolean);
    }
  }
  ConvertError(FType, varBoolean);
}

bool operator==(const Variant& A, const Variant& B) {
  if (A.FType != B.FType) return false;
  switch (A.FType) {
    case varEmpty: return true;
    case varDouble: return A.FDouble == B.FDouble;
    case varString: return A.FString == B.FString;
    default: return A.FInt == B.FInt;
  }
}

}  // namespace Vcl
