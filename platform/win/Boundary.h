// The one boundary between Windows and our code.
//
// A C++ exception must never unwind through a frame of Windows (a window
// procedure, hook, timer or enumeration callback): on i686 that aborts the
// program. Every entry from Windows into our code therefore runs inside
// Guarded, which catches everything and carries the exception across:
//
// - When our code made the Windows call that led to this entry inside a
//   capture scope (TExceptionCapture, usually through CallCapturing), the
//   first exception is stored and rethrown once the Windows call has
//   returned to us: SendMessage behaves as if the exception went straight
//   through it.
// - Otherwise it goes to the process-wide unhandled-exception handler
//   (the application object installs one that shows the error box).
//
// A scope captures only what is raised by callbacks that Windows makes while
// the call it wraps runs directly under it. Our code inside a callback that
// calls Windows again needs a scope of its own for that call (CallWindowProc,
// DefWindowProc, SendMessage...); without one, what those nested callbacks
// raise goes to the handler rather than to a scope further out, so the code
// in between never carries on unaware of a failure that surfaces later.
#pragma once

#include <windows.h>

#include <exception>
#include <string>
#include <type_traits>
#include <utility>

#include "SysUtils.h"

namespace Vcl {

using TUnhandledExceptionHandler = void (*)(std::exception_ptr);

// Installs the handler for exceptions that no scope captures; null restores
// the default (a message box with the text, then carry on). Returns the
// handler installed before.
TUnhandledExceptionHandler SetUnhandledExceptionHandler(TUnhandledExceptionHandler Handler);

// Hands an exception to the innermost active scope of this thread, or to the
// unhandled-exception handler. Never throws.
void DeliverException(std::exception_ptr E) noexcept;

// The text shown for an exception: its message, or a fixed text for
// exceptions that carry none.
AnsiString ExceptionText(std::exception_ptr E);

// Stores the first exception raised by callbacks while it is the innermost
// active scope of its thread. Scopes nest; each lives on the stack.
class TExceptionCapture {
 public:
  TExceptionCapture() noexcept;
  // An exception captured but never taken goes on to the enclosing scope or
  // the unhandled-exception handler: nothing is lost, and a destructor never
  // throws.
  ~TExceptionCapture();
  TExceptionCapture(const TExceptionCapture&) = delete;
  TExceptionCapture& operator=(const TExceptionCapture&) = delete;

  bool Captured() const noexcept { return static_cast<bool>(FException); }
  // Takes the captured exception out of the scope (null when none).
  std::exception_ptr Take() noexcept { return std::exchange(FException, nullptr); }
  // Rethrows the captured exception, if any, and forgets it.
  void Rethrow();

 private:
  friend struct TBoundaryAccess;
  std::exception_ptr FException;
  TExceptionCapture* FOuter;
};

// Runs a Windows call that may call back into us; afterwards rethrows the
// first exception the callbacks raised. Returns what the call returned.
template <class F>
auto CallCapturing(F&& WinCall) -> decltype(WinCall()) {
  TExceptionCapture scope;
  if constexpr (std::is_void_v<decltype(WinCall())>) {
    std::forward<F>(WinCall)();
    scope.Rethrow();
  } else {
    auto result = std::forward<F>(WinCall)();
    scope.Rethrow();
    return result;
  }
}

// Marks the entry into our code from Windows: scopes of the code that made
// the Windows call stay reachable for this entry only, not for callbacks
// that our code inside it causes without a scope of its own.
class TCallbackEntry {
 public:
  TCallbackEntry() noexcept;
  ~TCallbackEntry();
  TCallbackEntry(const TCallbackEntry&) = delete;
  TCallbackEntry& operator=(const TCallbackEntry&) = delete;
  // Delivers E to the scope that was active when Windows called us.
  void Deliver(std::exception_ptr E) noexcept;

 private:
  TExceptionCapture* FScope;
};

// Runs F as an entry from Windows. Any exception is delivered (see above)
// and OnError is returned in its place.
template <class F, class R = std::invoke_result_t<F&>>
R Guarded(F&& Body, std::type_identity_t<R> OnError) noexcept {
  TCallbackEntry entry;
  try {
    return Body();
  } catch (...) {
    entry.Deliver(std::current_exception());
    return OnError;
  }
}

// As above; on an exception a value-initialised result (0, FALSE, nothing).
template <class F>
auto Guarded(F&& Body) noexcept -> std::invoke_result_t<F&> {
  using R = std::invoke_result_t<F&>;
  TCallbackEntry entry;
  try {
    return Body();
  } catch (...) {
    entry.Deliver(std::current_exception());
    if constexpr (!std::is_void_v<R>) return R();
  }
}

}  // namespace Vcl
