// Small sets of enumeration values (TShiftState, font styles, options).
// Element n is bit n of the set's bit pattern, which is how published set
// properties travel (GetOrdProp, form resources).
#pragma once

#include <initializer_list>

namespace Vcl {

template <class T, T MinEl, T MaxEl>
class Set {
  static_assert(static_cast<int>(MinEl) >= 0 && static_cast<int>(MaxEl) < 64, "sets hold elements 0 to 63");

 public:
  Set() = default;
  Set(std::initializer_list<T> Elements) {
    for (T e : Elements) *this << e;
  }

  Set& operator<<(T E) {
    if (InRange(E)) FBits |= Bit(E);
    return *this;
  }
  Set& operator>>(T E) {
    if (InRange(E)) FBits &= ~Bit(E);
    return *this;
  }
  bool Contains(T E) const { return InRange(E) && (FBits & Bit(E)) != 0; }
  bool Empty() const { return FBits == 0; }
  void Clear() { FBits = 0; }

  unsigned long long Bits() const { return FBits; }
  // Bits outside MinEl..MaxEl are dropped.
  static Set FromBits(unsigned long long Bits) {
    Set s;
    s.FBits = Bits & Mask();
    return s;
  }

  friend Set operator+(Set A, Set B) { return FromBits(A.FBits | B.FBits); }
  friend Set operator*(Set A, Set B) { return FromBits(A.FBits & B.FBits); }
  friend Set operator-(Set A, Set B) { return FromBits(A.FBits & ~B.FBits); }
  friend bool operator==(Set A, Set B) { return A.FBits == B.FBits; }

 private:
  static bool InRange(T E) { return static_cast<int>(E) >= static_cast<int>(MinEl) && static_cast<int>(E) <= static_cast<int>(MaxEl); }
  static unsigned long long Bit(T E) { return 1ull << static_cast<int>(E); }
  static unsigned long long Mask() {
    unsigned long long m = 0;
    for (int i = static_cast<int>(MinEl); i <= static_cast<int>(MaxEl); ++i) m |= 1ull << i;
    return m;
  }

  unsigned long long FBits = 0;
};

}  // namespace Vcl
