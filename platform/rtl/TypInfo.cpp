#include "TypInfo.h"

#include <cstdint>
#include <map>

#include "Classes.h"

namespace Vcl {

int TEnumInfo::ValueOf(const AnsiString& Name) const {
  for (std::size_t i = 0; i < Names.size(); ++i)
    if (SameText(Names[i], Name)) return static_cast<int>(i);
  return -1;
}

AnsiString TEnumInfo::NameOf(long long Value) const {
  if (Value < 0 || Value >= static_cast<long long>(Names.size())) return AnsiString();
  return Names[static_cast<std::size_t>(Value)];
}

bool TIdentMap::IdentToInt(const AnsiString& Name, long long& Value) const {
  for (const Entry& e : Entries)
    if (SameText(e.Name, Name)) return Value = e.Value, true;
  return false;
}

bool TIdentMap::IntToIdent(long long Value, AnsiString& Name) const {
  for (const Entry& e : Entries)
    if (e.Value == Value) return Name = e.Name, true;
  return false;
}

bool TPropInfo::IsReadOnly() const {
  switch (Kind) {
    case tkInteger: case tkChar: case tkWChar: case tkEnumeration: case tkSet: case tkInt64:
      return !SetOrd;
    case tkFloat: return !SetFloat;
    case tkString: case tkLString: case tkWString: return !SetStr;
    case tkVariant: return !SetVariant;
    case tkMethod: return !SetMethod;
    case tkClass: return !SetObj;
    default: return true;
  }
}

bool TMetaClass::InheritsFrom(TClass Other) const {
  for (TClass c = this; c; c = c->Parent)
    if (c == Other) return true;
  return false;
}

const TPropInfo* TMetaClass::FindProp(const AnsiString& PropName) const {
  if (PropName.empty()) return nullptr;
  for (TClass c = this; c; c = c->Parent)
    for (const TPropInfo& p : c->Props)
      if (SameText(p.Name, PropName)) return &p;
  return nullptr;
}

std::vector<const TPropInfo*> TMetaClass::AllProps() const {
  std::vector<TClass> chain;
  for (TClass c = this; c; c = c->Parent) chain.push_back(c);
  std::vector<const TPropInfo*> all;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it)
    for (const TPropInfo& p : (*it)->Props) {
      // A redeclared property takes its ancestor's place.
      bool replaced = false;
      for (auto& q : all)
        if (SameText(q->Name, p.Name)) q = &p, replaced = true;
      if (!replaced) all.push_back(&p);
    }
  return all;
}

const TMethodEntry* TMetaClass::FindMethod(const AnsiString& MethodName) const {
  // Published names are short strings on the platform: at most 255 bytes.
  AnsiString name = MethodName.substr(0, 255);
  if (name.empty()) return nullptr;
  for (TClass c = this; c; c = c->Parent)
    for (const TMethodEntry& m : c->Methods)
      if (SameText(m.Name, name)) return &m;
  return nullptr;
}

AnsiString TMetaClass::MethodName(const void* Code) const {
  if (!Code) return AnsiString();
  for (TClass c = this; c; c = c->Parent)
    for (const TMethodEntry& m : c->Methods)
      if (m.Code == Code) return m.Name;
  return AnsiString();
}

const TFieldInfo* TMetaClass::FindField(const AnsiString& FieldName) const {
  if (FieldName.empty()) return nullptr;
  for (TClass c = this; c; c = c->Parent)
    for (const TFieldInfo& f : c->Fields)
      if (SameText(f.Name, FieldName)) return &f;
  return nullptr;
}

namespace {
struct NoCase {
  bool operator()(const AnsiString& A, const AnsiString& B) const { return CompareText(A, B) < 0; }
};
std::map<AnsiString, TClass, NoCase>& Registry() {
  static std::map<AnsiString, TClass, NoCase> map;
  return map;
}
}  // namespace

void RegisterClass(TClass Class) {
  if (Class) Registry()[Class->Name] = Class;
}

void UnRegisterClass(TClass Class) {
  if (!Class) return;
  auto it = Registry().find(Class->Name);
  if (it != Registry().end() && it->second == Class) Registry().erase(it);
}

TClass GetClass(const AnsiString& Name) {
  auto it = Registry().find(Name);
  return it == Registry().end() ? nullptr : it->second;
}

TClass FindClass(const AnsiString& Name) {
  TClass c = GetClass(Name);
  if (!c) throw EClassNotFound(FormatMsg("クラス %s が見つかりません.", Name));
  return c;
}

// ---------------------------------------------------------------------------

const TPropInfo* GetPropInfo(TClass Class, const AnsiString& PropName) {
  return Class ? Class->FindProp(PropName) : nullptr;
}

const TPropInfo* GetPropInfo(const TObject* Instance, const AnsiString& PropName) {
  return Instance ? GetPropInfo(Instance->ClassType(), PropName) : nullptr;
}

std::vector<const TPropInfo*> GetPropList(TClass Class) {
  return Class ? Class->AllProps() : std::vector<const TPropInfo*>();
}

bool IsStoredProp(TObject* Instance, const TPropInfo* Prop) {
  return Prop && (!Prop->Stored || Prop->Stored(Instance));
}

namespace {

[[noreturn]] void Fail(const AnsiString& Msg) { throw EPropertyError(Msg); }

const TPropInfo& Require(TObject* Instance, const TPropInfo* Prop) {
  if (!Instance) Fail("プロパティの対象オブジェクトがありません.");
  if (!Prop) Fail("プロパティ情報がありません.");
  return *Prop;
}

bool IsOrdinal(TTypeKind K) {
  return K == tkInteger || K == tkChar || K == tkWChar || K == tkEnumeration || K == tkSet;
}

const TPropInfo& RequireKind(TObject* Instance, const TPropInfo* Prop, bool Ok, const char* KindName) {
  const TPropInfo& p = Require(Instance, Prop);
  if (!Ok) Fail("プロパティ " + p.Name + " は" + KindName + "ではありません.");
  return p;
}

template <class F>
const F& Reader(const TPropInfo& P, const F& Getter) {
  if (!Getter) Fail("プロパティ " + P.Name + " は読み出せません.");
  return Getter;
}

template <class F>
const F& Writer(const TPropInfo& P, const F& Setter) {
  if (!Setter) Fail("プロパティ " + P.Name + " は読み取り専用です.");
  return Setter;
}

const TPropInfo* RequireByName(TObject* Instance, const AnsiString& PropName) {
  const TPropInfo* p = GetPropInfo(Instance, PropName);
  if (!p) {
    AnsiString cls = Instance ? Instance->ClassName() : AnsiString("nil");
    Fail("クラス " + cls + " にプロパティ " + PropName + " は存在しません.");
  }
  return p;
}

}  // namespace

long long GetOrdProp(TObject* Instance, const TPropInfo* Prop) {
  const TPropInfo& p = RequireKind(Instance, Prop, Prop && (IsOrdinal(Prop->Kind) || Prop->Kind == tkClass), "順序型");
  if (p.Kind == tkClass) return static_cast<long long>(reinterpret_cast<std::intptr_t>(Reader(p, p.GetObj)(Instance)));
  return Reader(p, p.GetOrd)(Instance);
}

void SetOrdProp(TObject* Instance, const TPropInfo* Prop, long long Value) {
  const TPropInfo& p = RequireKind(Instance, Prop, Prop && (IsOrdinal(Prop->Kind) || Prop->Kind == tkClass), "順序型");
  if (p.Kind == tkClass) return SetObjectProp(Instance, Prop, reinterpret_cast<TObject*>(static_cast<std::intptr_t>(Value)));
  Writer(p, p.SetOrd)(Instance, Value);
}

long long GetInt64Prop(TObject* Instance, const TPropInfo* Prop) {
  const TPropInfo& p = RequireKind(Instance, Prop, Prop && (IsOrdinal(Prop->Kind) || Prop->Kind == tkInt64), "整数型");
  return Reader(p, p.GetOrd)(Instance);
}

void SetInt64Prop(TObject* Instance, const TPropInfo* Prop, long long Value) {
  const TPropInfo& p = RequireKind(Instance, Prop, Prop && (IsOrdinal(Prop->Kind) || Prop->Kind == tkInt64), "整数型");
  Writer(p, p.SetOrd)(Instance, Value);
}

AnsiString GetEnumProp(TObject* Instance, const TPropInfo* Prop) {
  const TPropInfo& p = RequireKind(Instance, Prop, Prop && Prop->Kind == tkEnumeration, "列挙型");
  long long v = Reader(p, p.GetOrd)(Instance);
  AnsiString name = p.Enum ? p.Enum->NameOf(v) : AnsiString();
  return name.empty() ? IntToStr(v) : name;
}

void SetEnumProp(TObject* Instance, const TPropInfo* Prop, const AnsiString& Value) {
  const TPropInfo& p = RequireKind(Instance, Prop, Prop && Prop->Kind == tkEnumeration, "列挙型");
  int v = p.Enum ? p.Enum->ValueOf(Value) : -1;
  if (v < 0) Fail("プロパティ " + p.Name + " に値 " + Value + " は設定できません.");
  Writer(p, p.SetOrd)(Instance, v);
}

double GetFloatProp(TObject* Instance, const TPropInfo* Prop) {
  const TPropInfo& p = RequireKind(Instance, Prop, Prop && Prop->Kind == tkFloat, "浮動小数点型");
  return Reader(p, p.GetFloat)(Instance);
}

void SetFloatProp(TObject* Instance, const TPropInfo* Prop, double Value) {
  const TPropInfo& p = RequireKind(Instance, Prop, Prop && Prop->Kind == tkFloat, "浮動小数点型");
  Writer(p, p.SetFloat)(Instance, Value);
}

namespace {
bool IsString(const TPropInfo* P) {
  return P && (P->Kind == tkString || P->Kind == tkLString || P->Kind == tkWString);
}
}  // namespace

AnsiString GetStrProp(TObject* Instance, const TPropInfo* Prop) {
  const TPropInfo& p = RequireKind(Instance, Prop, IsString(Prop), "文字列型");
  return Reader(p, p.GetStr)(Instance);
}

void SetStrProp(TObject* Instance, const TPropInfo* Prop, const AnsiString& Value) {
  const TPropInfo& p = RequireKind(Instance, Prop, IsString(Prop), "文字列型");
  Writer(p, p.SetStr)(Instance, Value);
}

Variant GetVariantProp(TObject* Instance, const TPropInfo* Prop) {
  const TPropInfo& p = RequireKind(Instance, Prop, Prop && Prop->Kind == tkVariant, "バリアント型");
  return Reader(p, p.GetVariant)(Instance);
}

void SetVariantProp(TObject* Instance, const TPropInfo* Prop, const Variant& Value) {
  const TPropInfo& p = RequireKind(Instance, Prop, Prop && Prop->Kind == tkVariant, "バリアント型");
  Writer(p, p.SetVariant)(Instance, Value);
}

TMethod GetMethodProp(TObject* Instance, const TPropInfo* Prop) {
  const TPropInfo& p = RequireKind(Instance, Prop, Prop && Prop->Kind == tkMethod, "イベント型");
  return Reader(p, p.GetMethod)(Instance);
}

void SetMethodProp(TObject* Instance, const TPropInfo* Prop, const TMethod& Value) {
  const TPropInfo& p = RequireKind(Instance, Prop, Prop && Prop->Kind == tkMethod, "イベント型");
  const auto& set = Writer(p, p.SetMethod);
  if (Value.Code) {
    const TInvokerInfo* info = FindInvoker(Value.Code);
    if (!info) Fail("イベント " + p.Name + " には登録されていないメソッドは設定できません.");
    if (info->Signature != p.Signature) Fail("メソッドの型がイベント " + p.Name + " の型と一致しません.");
    if (!Value.Data) Fail("イベント " + p.Name + " には対象オブジェクトのないメソッドは設定できません.");
    if (info->TargetClass && !static_cast<TObject*>(Value.Data)->InheritsFrom(info->TargetClass()))
      Fail("メソッドの対象オブジェクト (" + static_cast<TObject*>(Value.Data)->ClassName() +
           ") はイベント " + p.Name + " のメソッドのクラスではありません.");
  }
  set(Instance, Value);
}

TObject* GetObjectProp(TObject* Instance, const TPropInfo* Prop) {
  const TPropInfo& p = RequireKind(Instance, Prop, Prop && Prop->Kind == tkClass, "クラス型");
  return Reader(p, p.GetObj)(Instance);
}

void SetObjectProp(TObject* Instance, const TPropInfo* Prop, TObject* Value) {
  const TPropInfo& p = RequireKind(Instance, Prop, Prop && Prop->Kind == tkClass, "クラス型");
  const auto& set = Writer(p, p.SetObj);
  if (Value && p.PropClass && !Value->InheritsFrom(p.PropClass()))
    Fail("クラス " + Value->ClassName() + " のオブジェクトはプロパティ " + p.Name + " に設定できません.");
  set(Instance, Value);
}

long long GetOrdProp(TObject* I, const AnsiString& N) { return GetOrdProp(I, RequireByName(I, N)); }
void SetOrdProp(TObject* I, const AnsiString& N, long long V) { SetOrdProp(I, RequireByName(I, N), V); }
AnsiString GetEnumProp(TObject* I, const AnsiString& N) { return GetEnumProp(I, RequireByName(I, N)); }
void SetEnumProp(TObject* I, const AnsiString& N, const AnsiString& V) { SetEnumProp(I, RequireByName(I, N), V); }
double GetFloatProp(TObject* I, const AnsiString& N) { return GetFloatProp(I, RequireByName(I, N)); }
void SetFloatProp(TObject* I, const AnsiString& N, double V) { SetFloatProp(I, RequireByName(I, N), V); }
AnsiString GetStrProp(TObject* I, const AnsiString& N) { return GetStrProp(I, RequireByName(I, N)); }
void SetStrProp(TObject* I, const AnsiString& N, const AnsiString& V) { SetStrProp(I, RequireByName(I, N), V); }
Variant GetVariantProp(TObject* I, const AnsiString& N) { return GetVariantProp(I, RequireByName(I, N)); }
void SetVariantProp(TObject* I, const AnsiString& N, const Variant& V) { SetVariantProp(I, RequireByName(I, N), V); }
TMethod GetMethodProp(TObject* I, const AnsiString& N) { return GetMethodProp(I, RequireByName(I, N)); }
void SetMethodProp(TObject* I, const AnsiString& N, const TMethod& V) { SetMethodProp(I, RequireByName(I, N), V); }
TObject* GetObjectProp(TObject* I, const AnsiString& N) { return GetObjectProp(I, RequireByName(I, N)); }
void SetObjectProp(TObject* I, const AnsiString& N, TObject* V) { SetObjectProp(I, RequireByName(I, N), V); }

}  // namespace Vcl
