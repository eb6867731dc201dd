// The platform's variant: a value of one of a few kinds, converted on
// demand. A conversion that cannot be made raises EVariantError.
#pragma once

#include <cstdint>

#include "SysUtils.h"

namespace Vcl {

// Kind codes, numbered as the platform numbers them.
enum : int {
  varEmpty = 0x0000,
  varInteger = 0x0003,  // 32-bit signed
  varDouble = 0x0005,
  varBoolean = 0x000B,
  varInt64 = 0x0014,    // 64-bit signed (object references on 64-bit builds)
  varString = 0x0100,   // 8-bit string
};

class Variant {
 public:
  Variant() = default;
  Variant(int Value) : FType(varInteger), FInt(Value) {}
  Variant(long long Value) : FType(varInt64), FInt(Value) {}
  // long is 32 bits on the target and a narrower kind when it fits.
  Variant(long Value) : FType(Value >= -2147483647L - 1 && Value <= 2147483647L ? varInteger : varInt64), FInt(Value) {}
  Variant(unsigned Value) : FType(Value <= 2147483647u ? varInteger : varInt64), FInt(Value) {}
  Variant(double Value) : FType(varDouble), FDouble(Value) {}
  Variant(bool Value) : FType(varBoolean), FInt(Value ? 1 : 0) {}
  Variant(const AnsiString& Value) : FType(varString), FString(Value) {}
  Variant(const char* Value) : FType(varString), FString(Value ? Value : "") {}

  int VarType() const { return FType; }
  bool IsEmpty() const { return FType == varEmpty; }
  void Clear() { *this = Variant(); }

  // Conversions. Empty gives 0, 0.0, "" and false; a Boolean true gives -1
  // as a number; a string is parsed (blanks around it allowed); a double
  // becomes an integer by rounding half to even. Out of range or
  // unparsable raises EVariantError.
  int AsInteger() const;
  long long AsInt64() const;
  double AsDouble() const;
  AnsiString AsString() const;
  bool AsBoolean() const;

  explicit operator int() const { return AsInteger(); }
  explicit operator long long() const { return AsInt64(); }
  explicit operator double() const { return AsDouble(); }
  explicit operator bool() const { return AsBoolean(); }
  operator AnsiString() const { return AsString(); }

  // Same kind and same value (a string compares by its bytes).
  friend bool operator==(const Variant& A, const Variant& B);
  friend bool operator!=(const Variant& A, const Variant& B) { return !(A == B); }

 private:
  long long ToInteger(int Target) const;

  int FType = varEmpty;
  long long FInt = 0;
  double FDouble = 0.0;
  AnsiString FString;
};

// The name of a kind for messages ("Integer", "String", ...).
AnsiString VarTypeName(int VarType);

// The text of a double as the platform writes it: shortest form that reads
// back to the same value, "E" for exponents ("2.75", "1E20", "-1E-5").
AnsiString FloatToStr(double Value);
// Parses a decimal floating-point text (blanks around it allowed); false
// when it is not one.
bool TryStrToFloat(const AnsiString& S, double& Value);

}  // namespace Vcl
