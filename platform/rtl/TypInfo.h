// Run-time type information: class references, published properties,
// events and methods, and the class registry.
//
// Each class declares its class reference with VCL_CLASS in its body and
// publishes its members in one visible block next to it:
//
//   VCL_PUBLISH(TFoo, TComponent, Component) {
//     P.Int("Left", &TFoo::GetLeft, &TFoo::SetLeft, 0);
//     P.Event<void(TObject*)>("OnClick", &TFoo::FOnClick);
//     P.Method<&TFoo::ButtonClick>("ButtonClick");
//   }
//
// Lookups ignore ASCII case and search the ancestors.
#pragma once

#include <functional>
#include <memory>
#include <type_traits>
#include <vector>

#include "Closures.h"
#include "SysUtils.h"

namespace Vcl {

class TObject;
class TComponent;
struct TMetaClass;
using TClass = const TMetaClass*;

enum TTypeKind {
  tkUnknown, tkInteger, tkChar, tkEnumeration, tkFloat, tkString, tkSet, tkClass,
  tkMethod, tkWChar, tkLString, tkWString, tkVariant, tkArray, tkRecord,
  tkInterface, tkInt64, tkDynArray
};

// Names of an enumeration's values, in ordinal order (also the elements of
// a set type).
struct TEnumInfo {
  std::vector<const char*> Names;
  int ValueOf(const AnsiString& Name) const;  // -1 when unknown
};

// One published property (an event is a property of kind tkMethod).
struct TPropInfo {
  AnsiString Name;
  TTypeKind Kind = tkUnknown;
  std::function<long long(TObject*)> GetOrd;
  std::function<void(TObject*, long long)> SetOrd;
  std::function<double(TObject*)> GetFloat;
  std::function<void(TObject*, double)> SetFloat;
  std::function<AnsiString(TObject*)> GetStr;
  std::function<void(TObject*, const AnsiString&)> SetStr;
  std::function<TMethod(TObject*)> GetMethod;
  std::function<void(TObject*, const TMethod&)> SetMethod;
  std::function<TObject*(TObject*)> GetObj;          // tkClass
  std::function<void(TObject*, TObject*)> SetObj;    // tkClass; null when read-only
  const TSignature* Signature = nullptr;             // tkMethod: the event's call
  std::function<TClass()> PropClass;                 // tkClass: required class
  const TEnumInfo* Enum = nullptr;                   // tkEnumeration, tkSet
  bool IsBool = false;
  bool HasDefault = false;
  long long Default = 0;                             // ordinal kinds
  std::function<bool(TObject*)> Stored;              // null: stored unless default
};

// A published method: its name, the invoker code and the call signature.
struct TMethodEntry {
  AnsiString Name;
  void* Code = nullptr;
  const TSignature* Signature = nullptr;
};

// A class reference: name, parent, virtual constructor (components only),
// and the published members declared by this class itself.
struct TMetaClass {
  const char* Name = "";
  TClass Parent = nullptr;
  TComponent* (*Create)(TComponent* Owner) = nullptr;  // null: not a component class
  std::vector<TPropInfo> Props;
  std::vector<TMethodEntry> Methods;

  bool InheritsFrom(TClass Other) const;
  // Property of that name in this class or an ancestor, or null.
  const TPropInfo* FindProp(const AnsiString& Name) const;
  // Every published property, the ancestors' first.
  std::vector<const TPropInfo*> AllProps() const;
  const TMethodEntry* FindMethod(const AnsiString& Name) const;
  // The name of a published method whose invoker is Code, or empty.
  AnsiString MethodName(const void* Code) const;
};

// The class registry used to find classes by name (form resources).
void RegisterClass(TClass Class);
TClass GetClass(const AnsiString& Name);   // null when not registered
TClass FindClass(const AnsiString& Name);  // raises EClassNotFound

// ---------------------------------------------------------------------------
// Member-function signature helper.
template <class M>
struct MemberTraits;
template <class C, class R, class... A>
struct MemberTraits<R (C::*)(A...)> {
  using Class = C;
  using Signature = R(A...);
};

// Builds the published block of class C.
template <class C>
class TPublisher {
 public:
  explicit TPublisher(TMetaClass& Meta) : FMeta(Meta) {}

  // Integer property through a getter and a setter (setter may be null).
  template <class T>
  TPropInfo& Int(const char* Name, T (C::*Get)() const, void (C::*Set)(T), long long Default = 0) {
    TPropInfo& p = Add(Name, tkInteger);
    p.GetOrd = [Get](TObject* o) { return static_cast<long long>((static_cast<C*>(o)->*Get)()); };
    if (Set) p.SetOrd = [Set](TObject* o, long long v) { (static_cast<C*>(o)->*Set)(static_cast<T>(v)); };
    p.HasDefault = true, p.Default = Default;
    return p;
  }
  // Integer property read and written directly through a field.
  template <class T>
  TPropInfo& Int(const char* Name, T C::*Field, long long Default = 0) {
    TPropInfo& p = Add(Name, tkInteger);
    p.GetOrd = [Field](TObject* o) { return static_cast<long long>(static_cast<C*>(o)->*Field); };
    p.SetOrd = [Field](TObject* o, long long v) { static_cast<C*>(o)->*Field = static_cast<T>(v); };
    p.HasDefault = true, p.Default = Default;
    return p;
  }
  TPropInfo& Bool(const char* Name, bool (C::*Get)() const, void (C::*Set)(bool), bool Default) {
    TPropInfo& p = Int<bool>(Name, Get, Set, Default);
    p.Kind = tkEnumeration, p.IsBool = true, p.Enum = &BoolNames();
    return p;
  }
  TPropInfo& Bool(const char* Name, bool C::*Field, bool Default) {
    TPropInfo& p = Int<bool>(Name, Field, Default);
    p.Kind = tkEnumeration, p.IsBool = true, p.Enum = &BoolNames();
    return p;
  }
  template <class E>
  TPropInfo& Enum(const char* Name, E (C::*Get)() const, void (C::*Set)(E), const TEnumInfo& Info, E Default) {
    TPropInfo& p = Add(Name, tkEnumeration);
    p.GetOrd = [Get](TObject* o) { return static_cast<long long>((static_cast<C*>(o)->*Get)()); };
    if (Set) p.SetOrd = [Set](TObject* o, long long v) { (static_cast<C*>(o)->*Set)(static_cast<E>(v)); };
    p.Enum = &Info, p.HasDefault = true, p.Default = static_cast<long long>(Default);
    return p;
  }
  template <class E>
  TPropInfo& Enum(const char* Name, E C::*Field, const TEnumInfo& Info, E Default) {
    TPropInfo& p = Add(Name, tkEnumeration);
    p.GetOrd = [Field](TObject* o) { return static_cast<long long>(static_cast<C*>(o)->*Field); };
    p.SetOrd = [Field](TObject* o, long long v) { static_cast<C*>(o)->*Field = static_cast<E>(v); };
    p.Enum = &Info, p.HasDefault = true, p.Default = static_cast<long long>(Default);
    return p;
  }
  // A set held as its bit pattern (bit n = element n of Info).
  template <class T>
  TPropInfo& Set(const char* Name, T (C::*Get)() const, void (C::*Setter)(T), const TEnumInfo& Info,
                 long long Default = 0) {
    TPropInfo& p = Int<T>(Name, Get, Setter, Default);
    p.Kind = tkSet, p.Enum = &Info;
    return p;
  }
  template <class T>
  TPropInfo& Set(const char* Name, T C::*Field, const TEnumInfo& Info, long long Default = 0) {
    TPropInfo& p = Int<T>(Name, Field, Default);
    p.Kind = tkSet, p.Enum = &Info;
    return p;
  }
  TPropInfo& Char(const char* Name, char C::*Field, TTypeKind Kind = tkChar) {
    TPropInfo& p = Add(Name, Kind);
    p.GetOrd = [Field](TObject* o) { return static_cast<long long>(static_cast<unsigned char>(static_cast<C*>(o)->*Field)); };
    p.SetOrd = [Field](TObject* o, long long v) { static_cast<C*>(o)->*Field = static_cast<char>(v); };
    return p;
  }
  TPropInfo& WChar(const char* Name, wchar_t C::*Field) {
    TPropInfo& p = Add(Name, tkWChar);
    p.GetOrd = [Field](TObject* o) { return static_cast<long long>(static_cast<C*>(o)->*Field); };
    p.SetOrd = [Field](TObject* o, long long v) { static_cast<C*>(o)->*Field = static_cast<wchar_t>(v); };
    return p;
  }
  TPropInfo& Float(const char* Name, double (C::*Get)() const, void (C::*Set)(double)) {
    TPropInfo& p = Add(Name, tkFloat);
    p.GetFloat = [Get](TObject* o) { return (static_cast<C*>(o)->*Get)(); };
    if (Set) p.SetFloat = [Set](TObject* o, double v) { (static_cast<C*>(o)->*Set)(v); };
    return p;
  }
  TPropInfo& Float(const char* Name, double C::*Field) {
    TPropInfo& p = Add(Name, tkFloat);
    p.GetFloat = [Field](TObject* o) { return static_cast<C*>(o)->*Field; };
    p.SetFloat = [Field](TObject* o, double v) { static_cast<C*>(o)->*Field = v; };
    return p;
  }
  TPropInfo& Str(const char* Name, AnsiString (C::*Get)() const, void (C::*Set)(const AnsiString&),
                 TTypeKind Kind = tkLString) {
    TPropInfo& p = Add(Name, Kind);
    p.GetStr = [Get](TObject* o) { return (static_cast<C*>(o)->*Get)(); };
    if (Set) p.SetStr = [Set](TObject* o, const AnsiString& v) { (static_cast<C*>(o)->*Set)(v); };
    return p;
  }
  TPropInfo& Str(const char* Name, AnsiString C::*Field, TTypeKind Kind = tkLString) {
    TPropInfo& p = Add(Name, Kind);
    p.GetStr = [Field](TObject* o) { return static_cast<C*>(o)->*Field; };
    p.SetStr = [Field](TObject* o, const AnsiString& v) { static_cast<C*>(o)->*Field = v; };
    return p;
  }
  // Object property: a reference to another component, or an owned
  // sub-object (Font, Items) when Set is null.
  template <class T>
  TPropInfo& Object(const char* Name, T* (C::*Get)() const, void (C::*Set)(T*)) {
    TPropInfo& p = Add(Name, tkClass);
    p.GetObj = [Get](TObject* o) -> TObject* { return (static_cast<C*>(o)->*Get)(); };
    if (Set)
      p.SetObj = [Set](TObject* o, TObject* v) { (static_cast<C*>(o)->*Set)(static_cast<T*>(v)); };
    p.PropClass = [] { return T::StaticClass(); };
    return p;
  }
  template <class T>
  TPropInfo& Object(const char* Name, T* C::*Field) {
    TPropInfo& p = Add(Name, tkClass);
    p.GetObj = [Field](TObject* o) -> TObject* { return static_cast<C*>(o)->*Field; };
    p.SetObj = [Field](TObject* o, TObject* v) { static_cast<C*>(o)->*Field = static_cast<T*>(v); };
    p.PropClass = [] { return T::StaticClass(); };
    return p;
  }
  // Event held in a Closure<Sig> field.
  template <class Sig>
  TPropInfo& Event(const char* Name, Closure<Sig> C::*Field) {
    TPropInfo& p = Add(Name, tkMethod);
    p.Signature = &SignatureOf<Sig>::Tag;
    p.GetMethod = [Field](TObject* o) { return (static_cast<C*>(o)->*Field).Method(); };
    p.SetMethod = [Field](TObject* o, const TMethod& m) {
      static_cast<C*>(o)->*Field = Closure<Sig>::FromMethodUnchecked(m);
    };
    return p;
  }
  // A published method, found by name (events bound from form resources).
  template <auto M>
  void Method(const char* Name) {
    using Sig = typename MemberTraits<decltype(M)>::Signature;
    using K = typename MemberTraits<decltype(M)>::Class;
    Closure<Sig> c = Closure<Sig>::template Bind<M>(static_cast<K*>(nullptr));
    FMeta.Methods.push_back({Name, c.Method().Code, &SignatureOf<Sig>::Tag});
  }

 private:
  static const TEnumInfo& BoolNames() {
    static const TEnumInfo info{{"False", "True"}};
    return info;
  }

 public:
  // A property of any kind, accessors filled in by the caller.
  TPropInfo& Add(const char* Name, TTypeKind Kind) {
    FMeta.Props.emplace_back();
    TPropInfo& p = FMeta.Props.back();
    p.Name = Name, p.Kind = Kind;
    return p;
  }

 private:
  TMetaClass& FMeta;
};

namespace detail {
template <class C>
TComponent* CreateAs(TComponent* Owner) {
  return new C(Owner);
}
}  // namespace detail

}  // namespace Vcl

// In the class body: the class reference and its virtual accessor.
#define VCL_CLASS(Name)                                              \
 public:                                                             \
  static ::Vcl::TClass StaticClass();                                \
  ::Vcl::TClass ClassType() const override { return StaticClass(); } \
                                                                     \
 private:

// In one source file: the class reference, then the published block.
// Kind is Component for classes with the virtual component constructor
// (C(TComponent* Owner)), Object otherwise.
#define VCL_PUBLISH(Cls, Par, Kind)                                      \
  static void Cls##_Publish(::Vcl::TPublisher<Cls>& P);                    \
  ::Vcl::TClass Cls::StaticClass() {                                        \
    static const ::Vcl::TMetaClass* meta = [] {                              \
      auto* m = new ::Vcl::TMetaClass;                                       \
      m->Name = #Cls;                                                       \
      m->Parent = Par::StaticClass();                                     \
      VCL_CREATOR_##Kind(Cls)                                               \
      ::Vcl::TPublisher<Cls> p(*m);                                         \
      Cls##_Publish(p);                                                     \
      return m;                                                              \
    }();                                                                     \
    return meta;                                                             \
  }                                                                          \
  static void Cls##_Publish([[maybe_unused]] ::Vcl::TPublisher<Cls>& P)

#define VCL_CREATOR_Component(Cls) m->Create = &::Vcl::detail::CreateAs<Cls>;
#define VCL_CREATOR_Object(Cls)
