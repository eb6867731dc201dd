#include "TypInfo.h"

#include <map>

#include "Classes.h"

namespace Vcl {

int TEnumInfo::ValueOf(const AnsiString& Name) const {
  for (std::size_t i = 0; i < Names.size(); ++i)
    if (SameText(Names[i], Name)) return static_cast<int>(i);
  return -1;
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

TClass GetClass(const AnsiString& Name) {
  auto it = Registry().find(Name);
  return it == Registry().end() ? nullptr : it->second;
}

TClass FindClass(const AnsiString& Name) {
  TClass c = GetClass(Name);
  if (!c) throw EClassNotFound(FormatMsg("クラス %s が見つかりません.", Name));
  return c;
}

}  // namespace Vcl
