#include "Closures.h"

#include <unordered_map>

namespace Vcl {

namespace {
std::unordered_map<const void*, const TSignature*>& Invokers() {
  static std::unordered_map<const void*, const TSignature*> map;
  return map;
}
}  // namespace

void RegisterInvoker(const void* Code, const TSignature* Sig) { Invokers()[Code] = Sig; }

const TSignature* InvokerSignature(const void* Code) {
  auto it = Invokers().find(Code);
  return it == Invokers().end() ? nullptr : it->second;
}

}  // namespace Vcl
