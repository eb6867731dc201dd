#include "Boundary.h"

#include <winternl.h>

#include "WinText.h"

namespace Vcl {

struct TBoundaryAccess {
  // The innermost active scope of this thread; null inside a callback entry
  // until our code opens a scope there. Every message through a thunk reads
  // and writes it, so it lives in a slot of the system's thread storage: the
  // compiler's emulated thread_local costs several times as much per access.
  struct TThreadScope {
    static DWORD Slot() {
      static const DWORD slot = TlsAlloc();
      return slot;
    }
    // The slot itself, in the thread's own block: read and written there
    // without a call (and without touching the thread's last error).
    static void** Cell() noexcept {
      const DWORD slot = Slot();
      auto* teb = reinterpret_cast<TEB*>(NtCurrentTeb());
      return slot < 64 ? &teb->TlsSlots[slot] : nullptr;
    }
    operator TExceptionCapture*() const noexcept {
      if (void** cell = Cell()) return static_cast<TExceptionCapture*>(*cell);
      const DWORD error = GetLastError();  // TlsGetValue clears it
      auto* scope = static_cast<TExceptionCapture*>(TlsGetValue(Slot()));
      SetLastError(error);
      return scope;
    }
    TThreadScope& operator=(TExceptionCapture* Scope) noexcept {
      if (void** cell = Cell())
        *cell = Scope;
      else
        TlsSetValue(Slot(), Scope);
      return *this;
    }
  };
  static inline TThreadScope Current;

  static void Push(TExceptionCapture* Scope) noexcept {
    Scope->FOuter = Current;
    Current = Scope;
  }
  static void Pop(TExceptionCapture* Scope) noexcept { Current = Scope->FOuter; }
  static void Store(TExceptionCapture* Scope, std::exception_ptr E) noexcept {
    // The first failure is the one the caller hears of; later ones are its
    // consequences, and reporting each in a box would flood a modal loop.
    if (!Scope->FException) Scope->FException = std::move(E);
  }
};

namespace {

void DefaultHandler(std::exception_ptr E) {
  const std::wstring text = ToWide(ExceptionDisplayText(ExceptionText(E)));
  MessageBoxW(GetActiveWindow(), text.c_str(), ToWide("エラー").c_str(), MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

TUnhandledExceptionHandler Handler = &DefaultHandler;

void CallHandler(std::exception_ptr E) noexcept {
  // The handler runs as a callback entry of its own: what its message loop
  // dispatches cannot reach a scope of the code it interrupted.
  TCallbackEntry entry;
  try {
    Handler(std::move(E));
  } catch (...) {
    // A failing handler has nowhere left to report to.
  }
}

}  // namespace

TUnhandledExceptionHandler SetUnhandledExceptionHandler(TUnhandledExceptionHandler NewHandler) {
  TUnhandledExceptionHandler old = Handler;
  Handler = NewHandler ? NewHandler : &DefaultHandler;
  return old;
}

void DeliverException(std::exception_ptr E) noexcept {
  if (TBoundaryAccess::Current)
    TBoundaryAccess::Store(TBoundaryAccess::Current, std::move(E));
  else
    CallHandler(std::move(E));
}

AnsiString ExceptionText(std::exception_ptr E) {
  if (!E) return AnsiString();
  try {
    std::rethrow_exception(E);
  } catch (const Exception& e) {
    return e.Message();
  } catch (const std::bad_alloc&) {
    return "メモリが不足しています.";
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "不明な例外が発生しました.";
  }
}

TExceptionCapture::TExceptionCapture() noexcept { TBoundaryAccess::Push(this); }

TExceptionCapture::~TExceptionCapture() {
  TBoundaryAccess::Pop(this);
  if (FException) DeliverException(Take());
}

void TExceptionCapture::Rethrow() {
  if (std::exception_ptr e = Take()) std::rethrow_exception(e);
}

TCallbackEntry::TCallbackEntry() noexcept : FScope(TBoundaryAccess::Current) {
  TBoundaryAccess::Current = nullptr;
}

TCallbackEntry::~TCallbackEntry() { TBoundaryAccess::Current = FScope; }

void TCallbackEntry::Deliver(std::exception_ptr E) noexcept {
  if (FScope)
    TBoundaryAccess::Store(FScope, std::move(E));
  else
    CallHandler(std::move(E));
}

}  // namespace Vcl
