#include "Closures.h"

#include <unordered_map>

namespace Vcl {

namespace {
std::unordered_map<const void*, TInvokerInfo>& Invokers() {
  static std::unordered_map<const void*, TInvokerInfo> map;
  return map;
}
}  // namespace

void RegisterInvoker(const void* Code, const TSignature* Sig, const TMetaClass* (*TargetClass)()) {
  Invokers()[Code] = TInvokerInfo{Sig, TargetClass};
}

const TSignature* InvokerSignature(const void* Code) {
  const TInvokerInfo* info = FindInvoker(Code);
  return info ? info->Signature : nullptr;
}

const TInvokerInfo* FindInvoker(const void* Code) {
  auto it = Invokers().find(Code);
  return it == Invokers().end() ? nullptr : &it->second;
}

}  // namespace Vcl
