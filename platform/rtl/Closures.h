// Closures: a method bound to an object, stored as the platform's TMethod.
//
// TMethod::Code is the address of a small invoker generated for one member
// function; TMethod::Data is the object. Every invoker is registered with the
// signature tag of its call and the class it calls into, so a TMethod that
// moves by name (form resources, SetMethodProp) can be checked against the
// event that receives it: a mismatch is refused, never called.
#pragma once

#include <cstddef>
#include <type_traits>
#include <utility>

namespace Vcl {

class TObject;
struct TMetaClass;

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
  static inline const TSignature Tag{"closure"};
};

// What the registry knows of one invoker.
struct TInvokerInfo {
  const TSignature* Signature = nullptr;
  // The class of the objects the invoker calls into, for classes with
  // run-time type information; null otherwise.
  const TMetaClass* (*TargetClass)() = nullptr;
};

// Records which signature an invoker's code implements.
void RegisterInvoker(const void* Code, const TSignature* Sig, const TMetaClass* (*TargetClass)() = nullptr);
// The signature of a registered invoker, or null for unknown code.
const TSignature* InvokerSignature(const void* Code);
// Everything known of a registered invoker, or null for unknown code.
const TInvokerInfo* FindInvoker(const void* Code);

namespace detail {
template <class M>
struct MemberOf;
template <class C, class R, class... A>
struct MemberOf<R (C::*)(A...)> {
  using Class = C;
  using Signature = R(A...);
};
template <class C, class R, class... A>
struct MemberOf<R (C::*)(A...) const> {
  using Class = C;
  using Signature = R(A...);
};

template <class K>
const TMetaClass* TargetClassOf() {
  return K::StaticClass();
}

// Objects with run-time type information travel as their TObject address,
// the same pointer GetMethod puts in Data; others as themselves.
template <class K>
void* ToData(K* Obj) {
  if constexpr (std::is_base_of_v<TObject, K>)
    return static_cast<void*>(static_cast<TObject*>(Obj));
  else
    return static_cast<void*>(Obj);
}
template <class K>
K* FromData(void* Data) {
  if constexpr (std::is_base_of_v<TObject, K>)
    return static_cast<K*>(static_cast<TObject*>(Data));
  else
    return static_cast<K*>(Data);
}
}  // namespace detail

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
  // The member's own signature must be this closure's.
  template <auto M, class C>
  static Closure Bind(C* Obj) {
    using K = typename detail::MemberOf<decltype(M)>::Class;
    static_assert(std::is_same_v<typename detail::MemberOf<decltype(M)>::Signature, Signature>,
                  "the method's signature differs from the closure's");
    static_assert(std::is_base_of_v<K, C>, "the object does not have this method");
    Closure c;
    c.FMethod.Code = CodeOf<M>();
    c.FMethod.Data = Obj ? detail::ToData<K>(static_cast<K*>(Obj)) : nullptr;
    return c;
  }

  // The registered invoker of member function M (published method tables).
  template <auto M>
  static void* CodeOf() {
    using K = typename detail::MemberOf<decltype(M)>::Class;
    static const bool registered = [] {
      const TMetaClass* (*target)() = nullptr;
      if constexpr (std::is_base_of_v<TObject, K>) target = &detail::TargetClassOf<K>;
      RegisterInvoker(reinterpret_cast<const void*>(&Invoke<M>), &SignatureOf<Signature>::Tag, target);
      return true;
    }();
    (void)registered;
    return reinterpret_cast<void*>(&Invoke<M>);
  }

  // A closure from a TMethod already checked to carry this signature
  // (SetMethodProp checks); nothing is checked here.
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
  template <auto M>
  static R Invoke(void* Self, Args... A) {
    using K = typename detail::MemberOf<decltype(M)>::Class;
    return (detail::FromData<K>(Self)->*M)(std::forward<Args>(A)...);
  }

  TMethod FMethod;
};

}  // namespace Vcl
