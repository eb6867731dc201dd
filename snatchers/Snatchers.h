// Unit Snatchers: window message snatching.
//
// A window's procedure is taken over by a window subclass; each message is
// offered, by number, to the handlers that components registered with a
// message event dispatcher. Message snatchers hook a form, an MDI client
// window or a control and share that hook with their users; a snatcher user
// is the base of every feature that works by handling window messages.
#pragma once

#include "Dispatcher.h"
#include "WindowSubclass.h"
#include "MessageSnatchers.h"
#include "SnatcherUser.h"
#include "FileDrop.h"
