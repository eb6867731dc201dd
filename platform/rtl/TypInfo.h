// Run-time type information: class references, published properties,
// events, methods and component fields, the class registry, and the typed
// property accessors.
//
// Each class declares its class reference with VCL_CLASS in its body and
// publishes its members in one visible block next to it:
//
//   VCL_PUBLISH(TFoo, TComponent, Component) {
//     P.Int("Left", &TFoo::GetLeft, &TFoo::SetLeft);          // always stored
//     P.Bool("Active", &TFoo::FActive, &TFoo::SetActive, false);
//     P.Event("OnClick", &TFoo::FOnClick);
//     P.Field("Button1", &TFoo::Button1);                     // component field
//     P.Method<&TFoo::ButtonClick>("ButtonClick");
//   }
//
// Getters are const member functions or fields; setters are member
// functions, fields or nullptr (read-only). Lookups ignore ASCII case and
// search the ancestors.
#pragma once

#include <deque>
#include <vector>
#include <functional>
#include <optional>
#include <type_traits>

#include "Closures.h"
#include "Sets.h"
#include "SysUtils.h"
#include "Variants.h"

namespace Vcl {

class TObject;
class TComponent;
class TCollection;
class TCollectionItem;
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
  AnsiString NameOf(long long Value) const;   // empty when out of range
};

// Names for some values of an integer type (colours, character sets): form
// resources write and read those values by name.
struct TIdentMap {
  struct Entry {
    long long Value;
    const char* Name;
  };
  std::vector<Entry> Entries;
  bool IdentToInt(const AnsiString& Name, long long& Value) const;
  bool IntToIdent(long long Value, AnsiString& Name) const;
};

// One published property (an event is a property of kind tkMethod). Use
// the typed accessors below rather than the functions directly: they check
// kinds, read-only properties and event signatures.
struct TPropInfo {
  AnsiString Name;
  TTypeKind Kind = tkUnknown;
  std::function<long long(TObject*)> GetOrd;         // ordinal kinds, tkInt64
  std::function<void(TObject*, long long)> SetOrd;
  std::function<double(TObject*)> GetFloat;
  std::function<void(TObject*, double)> SetFloat;
  std::function<AnsiString(TObject*)> GetStr;
  std::function<void(TObject*, const AnsiString&)> SetStr;
  std::function<Variant(TObject*)> GetVariant;
  std::function<void(TObject*, const Variant&)> SetVariant;
  std::function<TMethod(TObject*)> GetMethod;
  std::function<void(TObject*, const TMethod&)> SetMethod;
  std::function<TObject*(TObject*)> GetObj;          // tkClass
  std::function<void(TObject*, TObject*)> SetObj;    // tkClass; null when read-only
  const TSignature* Signature = nullptr;             // tkMethod: the event's call
  std::function<TClass()> PropClass;                 // tkClass: required class
  const TEnumInfo* Enum = nullptr;                   // tkEnumeration, tkSet
  const TIdentMap* Idents = nullptr;                 // tkInteger: named values
  bool IsBool = false;
  bool HasDefault = false;                           // ordinal kinds
  long long Default = 0;
  std::function<bool(TObject*)> Stored;              // null: stored unless default

  bool IsReadOnly() const;
  TPropInfo& NotStored() {
    Stored = [](TObject*) { return false; };
    return *this;
  }
  TPropInfo& WithIdents(const TIdentMap& Map) {
    Idents = &Map;
    return *this;
  }
};

// A published method: its name, the invoker code and the call signature.
struct TMethodEntry {
  AnsiString Name;
  void* Code = nullptr;
  const TSignature* Signature = nullptr;
};

// A published component field: form resources store the component of that
// name in it when it is created.
struct TFieldInfo {
  AnsiString Name;
  std::function<TClass()> FieldClass;
  std::function<TObject*(TObject*)> Get;
  std::function<void(TObject*, TObject*)> Set;
};

// A class reference: name, parent, virtual constructor, and the published
// members declared by this class itself.
struct TMetaClass {
  const char* Name = "";
  TClass Parent = nullptr;
  TComponent* (*Create)(TComponent* Owner) = nullptr;               // component classes
  TCollectionItem* (*CreateItem)(TCollection* Collection) = nullptr;  // collection items
  std::deque<TPropInfo> Props;
  std::deque<TMethodEntry> Methods;
  std::deque<TFieldInfo> Fields;

  AnsiString ClassName() const { return Name; }
  TClass ClassInfo() const { return this; }
  bool InheritsFrom(TClass Other) const;
  // Property of that name in this class or an ancestor, or null.
  const TPropInfo* FindProp(const AnsiString& Name) const;
  // Every published property, the ancestors' first.
  std::vector<const TPropInfo*> AllProps() const;
  const TMethodEntry* FindMethod(const AnsiString& Name) const;
  // The name of a published method whose invoker is Code, or empty.
  AnsiString MethodName(const void* Code) const;
  const TFieldInfo* FindField(const AnsiString& Name) const;
};

// The class registry used to find classes by name (form resources).
void RegisterClass(TClass Class);
void UnRegisterClass(TClass Class);
TClass GetClass(const AnsiString& Name);   // null when not registered
TClass FindClass(const AnsiString& Name);  // raises EClassNotFound

// ---------------------------------------------------------------------------
// Property lookup and typed access. Every accessor raises EPropertyError
// for a null descriptor, a property of another kind, or a write to a
// read-only property; none of them calls through a mismatched accessor.

const TPropInfo* GetPropInfo(TClass Class, const AnsiString& PropName);
const TPropInfo* GetPropInfo(const TObject* Instance, const AnsiString& PropName);
std::vector<const TPropInfo*> GetPropList(TClass Class);
bool IsStoredProp(TObject* Instance, const TPropInfo* Prop);

// Ordinal kinds (tkInteger, tkChar, tkWChar, tkEnumeration, tkSet) and
// tkClass, whose value is the object's address.
long long GetOrdProp(TObject* Instance, const TPropInfo* Prop);
void SetOrdProp(TObject* Instance, const TPropInfo* Prop, long long Value);
long long GetInt64Prop(TObject* Instance, const TPropInfo* Prop);  // also ordinal kinds
void SetInt64Prop(TObject* Instance, const TPropInfo* Prop, long long Value);
AnsiString GetEnumProp(TObject* Instance, const TPropInfo* Prop);
void SetEnumProp(TObject* Instance, const TPropInfo* Prop, const AnsiString& Value);
double GetFloatProp(TObject* Instance, const TPropInfo* Prop);
void SetFloatProp(TObject* Instance, const TPropInfo* Prop, double Value);
// tkString, tkLString, tkWString.
AnsiString GetStrProp(TObject* Instance, const TPropInfo* Prop);
void SetStrProp(TObject* Instance, const TPropInfo* Prop, const AnsiString& Value);
Variant GetVariantProp(TObject* Instance, const TPropInfo* Prop);
void SetVariantProp(TObject* Instance, const TPropInfo* Prop, const Variant& Value);
TMethod GetMethodProp(TObject* Instance, const TPropInfo* Prop);
// Refuses (EPropertyError) a method whose code is not a known invoker of the
// event's signature, or whose object is missing or of a class the method
// does not belong to. A TMethod with null Code clears the event.
void SetMethodProp(TObject* Instance, const TPropInfo* Prop, const TMethod& Value);
TObject* GetObjectProp(TObject* Instance, const TPropInfo* Prop);
// Refuses an object that is not of the property's class.
void SetObjectProp(TObject* Instance, const TPropInfo* Prop, TObject* Value);

// The same by name; a missing property raises EPropertyError.
long long GetOrdProp(TObject* Instance, const AnsiString& PropName);
void SetOrdProp(TObject* Instance, const AnsiString& PropName, long long Value);
AnsiString GetEnumProp(TObject* Instance, const AnsiString& PropName);
void SetEnumProp(TObject* Instance, const AnsiString& PropName, const AnsiString& Value);
double GetFloatProp(TObject* Instance, const AnsiString& PropName);
void SetFloatProp(TObject* Instance, const AnsiString& PropName, double Value);
AnsiString GetStrProp(TObject* Instance, const AnsiString& PropName);
void SetStrProp(TObject* Instance, const AnsiString& PropName, const AnsiString& Value);
Variant GetVariantProp(TObject* Instance, const AnsiString& PropName);
void SetVariantProp(TObject* Instance, const AnsiString& PropName, const Variant& Value);
TMethod GetMethodProp(TObject* Instance, const AnsiString& PropName);
void SetMethodProp(TObject* Instance, const AnsiString& PropName, const TMethod& Value);
TObject* GetObjectProp(TObject* Instance, const AnsiString& PropName);
void SetObjectProp(TObject* Instance, const AnsiString& PropName, TObject* Value);

// ---------------------------------------------------------------------------
// The publishing block.

namespace detail {
// Ordinal values travel as long long; sets as their bit pattern.
template <class T>
struct OrdConv {
  static long long To(const T& V) { return static_cast<long long>(V); }
  static T From(long long V) { return static_cast<T>(V); }
};
template <class T, T MinEl, T MaxEl>
struct OrdConv<Set<T, MinEl, MaxEl>> {
  static long long To(const Set<T, MinEl, MaxEl>& V) { return static_cast<long long>(V.Bits()); }
  static Set<T, MinEl, MaxEl> From(long long V) {
    return Set<T, MinEl, MaxEl>::FromBits(static_cast<unsigned long long>(V));
  }
};

template <class F>
concept MemberField = std::is_member_object_pointer_v<F>;
template <class F>
concept MemberAccess = std::is_member_pointer_v<F>;
template <class F>
concept MemberSetter = std::is_member_pointer_v<F> || std::is_null_pointer_v<F>;
template <class D>
concept NotMember = !std::is_member_pointer_v<D>;

template <class C>
TComponent* CreateAs(TComponent* Owner) {
  return new C(Owner);
}
template <class C>
TCollectionItem* CreateItemAs(TCollection* Collection) {
  return new C(Collection);
}
}  // namespace detail

template <class C>
class TPublisher {
  template <class G>
  using ValueOf = std::remove_cvref_t<std::invoke_result_t<G, C*>>;

 public:
  explicit TPublisher(TMetaClass& Meta) : FMeta(Meta) {}

  // Integer property. Without a default it is always stored.
  template <class T = void, detail::MemberAccess G, detail::MemberSetter S>
  TPropInfo& Int(const char* Name, G Get, S Set, std::optional<long long> Default = std::nullopt) {
    return Ordinal(Add(Name, tkInteger), Get, Set, Default);
  }
  template <class T = void, detail::MemberField F>
  TPropInfo& Int(const char* Name, F Field, std::optional<long long> Default = std::nullopt) {
    return Int(Name, Field, Field, Default);
  }
  template <detail::MemberAccess G, detail::MemberSetter S>
  TPropInfo& Int64(const char* Name, G Get, S Set, std::optional<long long> Default = std::nullopt) {
    return Ordinal(Add(Name, tkInt64), Get, Set, Default);
  }
  template <detail::MemberAccess G, detail::MemberSetter S>
  TPropInfo& Bool(const char* Name, G Get, S Set, bool Default) {
    TPropInfo& p = Ordinal(Add(Name, tkEnumeration), Get, Set, Default ? 1 : 0);
    p.IsBool = true, p.Enum = &BoolNames();
    return p;
  }
  template <detail::MemberField F>
  TPropInfo& Bool(const char* Name, F Field, bool Default) {
    return Bool(Name, Field, Field, Default);
  }
  template <detail::MemberAccess G, detail::MemberSetter S, class D = std::nullptr_t>
  TPropInfo& Enum(const char* Name, G Get, S Set, const TEnumInfo& Info, D Default = nullptr) {
    TPropInfo& p = Ordinal(Add(Name, tkEnumeration), Get, Set, DefaultOf(Default));
    p.Enum = &Info;
    return p;
  }
  template <detail::MemberField F, detail::NotMember D = std::nullptr_t>
  TPropInfo& Enum(const char* Name, F Field, const TEnumInfo& Info, D Default = nullptr) {
    return Enum(Name, Field, Field, Info, Default);
  }
  // A set held as its bit pattern (bit n = element n of Info); a Set<> or
  // an integer. Without a default it is always stored.
  template <class T = void, detail::MemberAccess G, detail::MemberSetter S, class D = std::nullptr_t>
  TPropInfo& Set(const char* Name, G Get, S Setter, const TEnumInfo& Info, D Default = nullptr) {
    TPropInfo& p = Ordinal(Add(Name, tkSet), Get, Setter, DefaultOf(Default));
    p.Enum = &Info;
    return p;
  }
  template <class T = void, detail::MemberField F, detail::NotMember D = std::nullptr_t>
  TPropInfo& Set(const char* Name, F Field, const TEnumInfo& Info, D Default = nullptr) {
    return Set(Name, Field, Field, Info, Default);
  }
  // Character properties: 8-bit (tkChar) or wide (tkWChar).
  template <detail::MemberAccess G, detail::MemberSetter S>
  TPropInfo& Char(const char* Name, G Get, S Set, std::optional<long long> Default = std::nullopt,
                  TTypeKind Kind = tkChar) {
    TPropInfo& p = Add(Name, Kind);
    p.GetOrd = [Get](TObject* o) {
      auto c = std::invoke(Get, Self(o));
      return static_cast<long long>(static_cast<std::make_unsigned_t<decltype(c)>>(c));
    };
    if constexpr (!std::is_null_pointer_v<S>)
      p.SetOrd = [Set](TObject* o, long long v) { Assign(Set, o, static_cast<ValueOf<G>>(v)); };
    if (Default) p.HasDefault = true, p.Default = *Default;
    return p;
  }
  template <detail::MemberField F>
  TPropInfo& Char(const char* Name, F Field, std::optional<long long> Default = std::nullopt) {
    return Char(Name, Field, Field, Default);
  }
  template <detail::MemberAccess G, detail::MemberSetter S>
  TPropInfo& WChar(const char* Name, G Get, S Set, std::optional<long long> Default = std::nullopt) {
    return Char(Name, Get, Set, Default, tkWChar);
  }
  template <detail::MemberField F>
  TPropInfo& WChar(const char* Name, F Field, std::optional<long long> Default = std::nullopt) {
    return Char(Name, Field, Field, Default, tkWChar);
  }
  template <detail::MemberAccess G, detail::MemberSetter S>
  TPropInfo& Float(const char* Name, G Get, S Set) {
    TPropInfo& p = Add(Name, tkFloat);
    p.GetFloat = [Get](TObject* o) { return static_cast<double>(std::invoke(Get, Self(o))); };
    if constexpr (!std::is_null_pointer_v<S>)
      p.SetFloat = [Set](TObject* o, double v) { Assign(Set, o, static_cast<ValueOf<G>>(v)); };
    return p;
  }
  template <detail::MemberField F>
  TPropInfo& Float(const char* Name, F Field) {
    return Float(Name, Field, Field);
  }
  // String property; Kind tkLString (default), tkString or tkWString.
  template <detail::MemberAccess G, detail::MemberSetter S>
  TPropInfo& Str(const char* Name, G Get, S Set, TTypeKind Kind = tkLString) {
    TPropInfo& p = Add(Name, Kind);
    p.GetStr = [Get](TObject* o) { return AnsiString(std::invoke(Get, Self(o))); };
    if constexpr (!std::is_null_pointer_v<S>)
      p.SetStr = [Set](TObject* o, const AnsiString& v) { Assign(Set, o, v); };
    return p;
  }
  template <detail::MemberField F>
  TPropInfo& Str(const char* Name, F Field, TTypeKind Kind = tkLString) {
    return Str(Name, Field, Field, Kind);
  }
  template <detail::MemberAccess G, detail::MemberSetter S>
  TPropInfo& Var(const char* Name, G Get, S Set) {
    TPropInfo& p = Add(Name, tkVariant);
    p.GetVariant = [Get](TObject* o) { return Variant(std::invoke(Get, Self(o))); };
    if constexpr (!std::is_null_pointer_v<S>)
      p.SetVariant = [Set](TObject* o, const Variant& v) { Assign(Set, o, v); };
    return p;
  }
  template <detail::MemberField F>
  TPropInfo& Var(const char* Name, F Field) {
    return Var(Name, Field, Field);
  }
  // Object property: a reference to a component, or an owned sub-object
  // (font, string list, collection) that form resources read through the
  // getter, so it needs no setter.
  template <detail::MemberAccess G, detail::MemberSetter S>
  TPropInfo& Object(const char* Name, G Get, S Set) {
    using T = std::remove_pointer_t<ValueOf<G>>;
    TPropInfo& p = Add(Name, tkClass);
    p.GetObj = [Get](TObject* o) -> TObject* { return std::invoke(Get, Self(o)); };
    if constexpr (!std::is_null_pointer_v<S>)
      p.SetObj = [Set](TObject* o, TObject* v) { Assign(Set, o, static_cast<T*>(v)); };
    p.PropClass = [] { return T::StaticClass(); };
    return p;
  }
  template <detail::MemberField F>
  TPropInfo& Object(const char* Name, F Field) {
    return Object(Name, Field, Field);
  }
  // Event held in a Closure<Sig> field, or read and written through a
  // getter and a setter of that closure type.
  template <class Sig, class B>
  TPropInfo& Event(const char* Name, Closure<Sig> B::*Field) {
    return Event(Name, Field, Field);
  }
  template <detail::MemberAccess G, detail::MemberSetter S>
  TPropInfo& Event(const char* Name, G Get, S Set) {
    using K = ValueOf<G>;  // Closure<Sig>
    TPropInfo& p = Add(Name, tkMethod);
    p.Signature = &SignatureOf<typename K::Signature>::Tag;
    p.GetMethod = [Get](TObject* o) { return TMethod(std::invoke(Get, Self(o)).Method()); };
    if constexpr (!std::is_null_pointer_v<S>)
      p.SetMethod = [Set](TObject* o, const TMethod& m) { Assign(Set, o, K::FromMethodUnchecked(m)); };
    return p;
  }
  // A published method, found by name (events bound from form resources).
  template <auto M>
  void Method(const char* Name) {
    using Sig = typename detail::MemberOf<decltype(M)>::Signature;
    FMeta.Methods.push_back({Name, Closure<Sig>::template CodeOf<M>(), &SignatureOf<Sig>::Tag});
  }
  // A published component field (not a property).
  template <class T, class B>
  void Field(const char* Name, T* B::*Member) {
    TFieldInfo f;
    f.Name = Name;
    f.FieldClass = [] { return T::StaticClass(); };
    f.Get = [Member](TObject* o) -> TObject* { return Self(o)->*Member; };
    f.Set = [Member](TObject* o, TObject* v) { Self(o)->*Member = static_cast<T*>(v); };
    FMeta.Fields.push_back(std::move(f));
  }
  // A property of any kind, accessors filled in by the caller (also the
  // kinds nothing here reads or writes: arrays, records, interfaces).
  TPropInfo& Add(const char* Name, TTypeKind Kind) {
    FMeta.Props.emplace_back();
    TPropInfo& p = FMeta.Props.back();
    p.Name = Name, p.Kind = Kind;
    return p;
  }

 private:
  static C* Self(TObject* O) { return static_cast<C*>(O); }
  template <class S, class V>
  static void Assign(S Setter, TObject* O, V&& Value) {
    if constexpr (std::is_member_object_pointer_v<S>)
      Self(O)->*Setter = std::forward<V>(Value);
    else
      (Self(O)->*Setter)(std::forward<V>(Value));
  }
  template <class G, class S>
  TPropInfo& Ordinal(TPropInfo& p, G Get, S Set, std::optional<long long> Default) {
    using V = ValueOf<G>;
    p.GetOrd = [Get](TObject* o) { return detail::OrdConv<V>::To(std::invoke(Get, Self(o))); };
    if constexpr (!std::is_null_pointer_v<S>)
      p.SetOrd = [Set](TObject* o, long long v) { Assign(Set, o, detail::OrdConv<V>::From(v)); };
    if (Default) p.HasDefault = true, p.Default = *Default;
    return p;
  }
  template <class D>
  static std::optional<long long> DefaultOf(D Default) {
    if constexpr (std::is_null_pointer_v<D>)
      return std::nullopt;
    else if constexpr (std::is_same_v<D, std::optional<long long>>)
      return Default;
    else
      return detail::OrdConv<D>::To(Default);
  }
  static const TEnumInfo& BoolNames() {
    static const TEnumInfo info{{"False", "True"}};
    return info;
  }

  TMetaClass& FMeta;
};

}  // namespace Vcl

// In the class body: the class reference and its virtual accessor.
#define VCL_CLASS(Name)                                              \
 public:                                                             \
  static ::Vcl::TClass StaticClass();                                \
  ::Vcl::TClass ClassType() const override { return StaticClass(); } \
                                                                     \
 private:

// In one source file, in the class's namespace: the class reference, then
// the published block. Kind says how the class reference creates objects:
// Component (virtual constructor C(TComponent* Owner)), Item (collection
// items, C(TCollection* Collection)), or Object (no constructor through the
// class reference: plain, persistent and abstract classes).
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
#define VCL_CREATOR_Item(Cls) m->CreateItem = &::Vcl::detail::CreateItemAs<Cls>;
#define VCL_CREATOR_Object(Cls)
