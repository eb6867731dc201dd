// Helpers for tests of the windowed controls: our own message loop, and
// real keyboard and mouse input.
#pragma once

#include "Classes.h"
#include "Forms.h"

#include <windows.h>

#include <functional>
#include <initializer_list>

namespace TestApp {

// Runs the application's own message loop (menu shortcuts and all) until
// Done() holds or Ms milliseconds have passed; returns Done().
bool Pump(const std::function<bool()>& Done, int Ms = 5000);
// Runs the application's loop for a while.
void PumpFor(int Ms);

// Presses the keys in order and releases them in reverse, through the
// system's input queue: {VK_CONTROL, 'O'} is Ctrl+O.
void PressKeys(std::initializer_list<WORD> Keys);
// Moves the pointer to a client point of Wnd and clicks there.
void Click(HWND Wnd, POINT Client, bool Right);

// Shows Form, brings it to the front and waits until it is active.
void ShowActive(Vcl::TCustomForm* Form);

}  // namespace TestApp
