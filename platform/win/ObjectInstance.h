// Window procedures bound to objects.
//
// Windows calls a window procedure with no room for an object pointer, so
// each object gets a few bytes of executable code of its own (a thunk) that
// passes the object's method on to one common procedure.
#pragma once

#include <windows.h>

#include "Closures.h"
#include "Messages.h"

namespace Vcl {

using TWndMethod = Closure<void(TMessage&)>;

// A window procedure that, at every call, builds a TMessage (Msg, WParam,
// LParam, Result 0), calls Method with it inside the exception boundary and
// returns Result. The window handle it is called with is not passed on.
// Raises EOutOfMemory when no executable memory can be had.
WNDPROC MakeObjectInstance(TWndMethod Method);

// Releases a procedure made by MakeObjectInstance; it must not be any
// window's procedure any more. Null, and anything not made there or already
// released, is ignored.
void FreeObjectInstance(WNDPROC Proc);

}  // namespace Vcl
