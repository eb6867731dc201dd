// Closures: a method bound to an object, stored as the platform's TMethod.
//
// TMethod::Code is the address of a small invoker generated for one member
// function; TMethod::Data is the object. Every invoker is registered with the
// signature tag of its call, so a TMethod that moves by name (form resources,
// SetEvent) can be checked against the signature of the event that receives
// it: a mismatch is refused, never called.
#pragma once

#include <cstddef>
#include <utility>

namespace Vcl {

struct TMethod {
  void* Code = nullptr;
  void* Data = nullptr;
  bool Assigned() const { return Code != nullptr; }
  friend bool operator==(const TMethod& A, const TMethod& B) {
    return A.Code == B.Code && A.Data == B.Data;
  }
};

// One object per distinct call signature; its address is the tag.
struct TSignature {
  const char* Name;
};

template <class Sig>
struct SignatureOf {
  static inline const TSignature Tag{__PRETTY_FUNCTION__};
};

// Records which signature an invoker's code implements.
void RegisterInvoker(const void* Code, const TSignature* Sig);
// The signature of a registered invoker, or null for unknown code.
const TSignature* InvokerSignature(const void* Code);

template <class Sig>
class Closure;

// A typed closure. Callable when assigned; calling an unassigned one does
// nothing and returns R{}.
template <class R, class... Args>
class Closure<R(Args...)> {
 public:
  using Invoker = R (*)(void* Self, Args... A);
  using Signature = R(Args...);

  Closure() = default;
  Closure(std::nullptr_t) {}

  // Binds member function M to Obj: Closure<...>::Bind<&TFoo::Bar>(foo).
  template <auto M, class C>
  static Closure Bind(C* Obj) {
    Closure c;
    c.FMethod.Code = reinterpret_cast<void*>(&Invoke<M, C>);
    c.FMethod.Data = static_cast<void*>(Obj);
    (void)Registered<M, C>;
    return c;
  }

  // A closure from a TMethod known to carry this signature (see FromMethod).
  static Closure FromMethodUnchecked(const TMethod& M) {
    Closure c;
    c.FMethod = M;
    return c;
  }
  // True when M is unassigned or its code implements this signature.
  static bool Accepts(const TMethod& M) {
    return !M.Code || InvokerSignature(M.Code) == &SignatureOf<Signature>::Tag;
  }

  const TMethod& Method() const { return FMethod; }
  bool Assigned() const { return FMethod.Code != nullptr; }
  explicit operator bool() const { return Assigned(); }
  friend bool operator==(const Closure& A, const Closure& B) { return A.FMethod == B.FMethod; }

  R operator()(Args... A) const {
    if (!FMethod.Code) return R();
    return reinterpret_cast<Invoker>(FMethod.Code)(FMethod.Data, std::forward<Args>(A)...);
  }

 private:
  template <auto M, class C>
  static R Invoke(void* Self, Args... A) {
    return (static_cast<C*>(Self)->*M)(std::forward<Args>(A)...);
  }
  template <auto M, class C>
  static inline const bool Registered =
      (RegisterInvoker(reinterpret_cast<const void*>(&Invoke<M, C>), &SignatureOf<Signature>::Tag), true);

  TMethod FMethod;
};

}  // namespace Vcl
