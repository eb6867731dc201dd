#include "ObjectInstance.h"

#include <cstring>
#include <mutex>
#include <new>
#include <vector>

#include "Boundary.h"
#include "SysUtils.h"

namespace Vcl {

namespace {

// The machine code of one thunk. It puts the instance where the common
// procedure takes its first argument (the slot of the window handle, which
// we do not use) and jumps there, so the common procedure returns straight
// to Windows with the right stack.
#if defined(__x86_64__)
// mov rcx, imm64 ; mov rax, imm64 ; jmp rax
constexpr std::size_t CodeSize = 24;
void WriteThunk(unsigned char* Code, const void* Self, const void* Target) {
  Code[0] = 0x48; Code[1] = 0xB9;
  std::memcpy(Code + 2, &Self, 8);
  Code[10] = 0x48; Code[11] = 0xB8;
  std::memcpy(Code + 12, &Target, 8);
  Code[20] = 0xFF; Code[21] = 0xE0;
  Code[22] = Code[23] = 0xCC;
}
#elif defined(__i386__)
// mov dword ptr [esp+4], imm32 ; mov eax, imm32 ; jmp eax
// The common procedure is stdcall with the same four arguments, so it
// removes them from the stack itself.
constexpr std::size_t CodeSize = 16;
void WriteThunk(unsigned char* Code, const void* Self, const void* Target) {
  Code[0] = 0xC7; Code[1] = 0x44; Code[2] = 0x24; Code[3] = 0x04;
  std::memcpy(Code + 4, &Self, 4);
  Code[8] = 0xB8;
  std::memcpy(Code + 9, &Target, 4);
  Code[13] = 0xFF; Code[14] = 0xE0;
  Code[15] = 0xCC;
}
#else
#error "thunks are written for i686 and x86_64 only"
#endif

struct alignas(16) TInstance {
  unsigned char Code[CodeSize];
  TWndMethod Method;
  TInstance* NextFree;
  bool InUse;
};

// One page of executable memory holds many thunks.
constexpr std::size_t BlockSize = 4096;
constexpr std::size_t PerBlock = BlockSize / sizeof(TInstance);
static_assert(PerBlock > 1);

std::mutex Lock;
TInstance* FreeList = nullptr;
std::vector<unsigned char*> Blocks;

LRESULT CALLBACK InstanceProc(TInstance* Self, UINT Msg, WPARAM WParam, LPARAM LParam) {
  return Guarded([&]() -> LRESULT {
    TMessage message;
    message.Msg = Msg;
    message.WParam = static_cast<std::intptr_t>(WParam);
    message.LParam = static_cast<std::intptr_t>(LParam);
    message.Result = 0;
    Self->Method(message);
    return static_cast<LRESULT>(message.Result);
  });
}

// Carves a new block into free thunks. Their code never changes afterwards:
// reuse only rebinds the method.
void AddBlock() {
  void* mem = VirtualAlloc(nullptr, BlockSize, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE);
  if (!mem) throw EOutOfMemory("ウィンドウプロシージャ用のメモリを確保できません.");
  auto* block = static_cast<unsigned char*>(mem);
  try {
    Blocks.push_back(block);
  } catch (...) {
    VirtualFree(mem, 0, MEM_RELEASE);
    throw;
  }
  for (std::size_t i = PerBlock; i-- > 0;) {
    auto* inst = new (block + i * sizeof(TInstance)) TInstance{};
    WriteThunk(inst->Code, inst, reinterpret_cast<const void*>(&InstanceProc));
    inst->InUse = false;
    inst->NextFree = FreeList;
    FreeList = inst;
  }
  FlushInstructionCache(GetCurrentProcess(), block, BlockSize);
}

// The live thunk at Proc, or null when Proc is not one of ours.
TInstance* FindInstance(WNDPROC Proc) {
  auto* p = reinterpret_cast<unsigned char*>(Proc);
  for (unsigned char* block : Blocks) {
    if (p < block || p >= block + PerBlock * sizeof(TInstance)) continue;
    const std::size_t offset = static_cast<std::size_t>(p - block);
    if (offset % sizeof(TInstance) != 0) return nullptr;
    auto* inst = reinterpret_cast<TInstance*>(p);
    return inst->InUse ? inst : nullptr;
  }
  return nullptr;
}

}  // namespace

WNDPROC MakeObjectInstance(TWndMethod Method) {
  std::lock_guard<std::mutex> guard(Lock);
  if (!FreeList) AddBlock();
  TInstance* inst = FreeList;
  FreeList = inst->NextFree;
  inst->NextFree = nullptr;
  inst->Method = Method;
  inst->InUse = true;
  return reinterpret_cast<WNDPROC>(static_cast<void*>(inst->Code));
}

void FreeObjectInstance(WNDPROC Proc) {
  if (!Proc) return;
  std::lock_guard<std::mutex> guard(Lock);
  TInstance* inst = FindInstance(Proc);
  if (!inst) return;
  // A stale call through a released thunk then reaches no object and
  // answers 0.
  inst->Method = TWndMethod();
  inst->InUse = false;
  inst->NextFree = FreeList;
  FreeList = inst;
}

}  // namespace Vcl
