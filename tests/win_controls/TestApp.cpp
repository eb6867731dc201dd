#include "TestApp.h"

#include <vector>

namespace TestApp {

bool Pump(const std::function<bool()>& Done, int Ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    Vcl::Application->ProcessMessages();
    if (Done()) return true;
    if (static_cast<int>(GetTickCount() - start) > Ms) return Done();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

void PumpFor(int Ms) {
  Pump([] { return false; }, Ms);
}

void PressKeys(std::initializer_list<WORD> Keys) {
  std::vector<INPUT> inputs;
  for (WORD k : Keys) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = k;
    inputs.push_back(in);
  }
  for (auto it = std::rbegin(Keys); it != std::rend(Keys); ++it) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = *it;
    in.ki.dwFlags = KEYEVENTF_KEYUP;
    inputs.push_back(in);
  }
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void Click(HWND Wnd, POINT Client, bool Right) {
  POINT pt = Client;
  ClientToScreen(Wnd, &pt);
  SetCursorPos(pt.x, pt.y);
  PumpFor(50);
  INPUT in[2] = {};
  in[0].type = in[1].type = INPUT_MOUSE;
  in[0].mi.dwFlags = Right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
  in[1].mi.dwFlags = Right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
  SendInput(2, in, sizeof(INPUT));
}

void ShowActive(Vcl::TCustomForm* Form) {
  Form->Show();
  SetForegroundWindow(Form->Handle());
  Pump([&] { return GetForegroundWindow() == Form->Handle() && GetActiveWindow() == Form->Handle(); }, 3000);
}

}  // namespace TestApp
