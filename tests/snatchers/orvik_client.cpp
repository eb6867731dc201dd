// A program of someone else's that uses the message snatching of
// pelmora.exe through its import library. It is only linked: the check of
// its import table (check_exports.py) shows that every call below goes to
// pelmora.exe.
#define ORVIK_IMPORT
#include "Snatchers.h"

namespace {

class TClientUser : public Orvik::TSnatcherUser {
 public:
  explicit TClientUser(Vcl::TComponent* AOwner) : Orvik::TSnatcherUser(AOwner) {}
  void Handler(Orvik::TObject*, Orvik::TMessage& M, bool& Handled) { Handled = M.WParam != 0; }

 protected:
  void DefineHandlers() override {
    DefineHandler(WM_APP, Orvik::TMessageEventHandler::Bind<&TClientUser::Handler>(this));
  }
};

}  // namespace

int main() {
  Orvik::TMessageEventDispatcher dispatcher;
  Orvik::TWindowSubclass subclass;
  subclass.OnWindowMessage =
      Orvik::TMessageEventHandler::Bind<&Orvik::TMessageEventDispatcher::DispatchEvent>(&dispatcher);
  HWND wnd = CreateWindowExA(0, "STATIC", "client", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  subclass.SetHandle(wnd);
  auto* snatcher = new Orvik::TControlMessageSnatcher(nullptr);
  auto* user = new TClientUser(nullptr);
  user->SetSnatcher(snatcher);
  user->SetActive(true);
  user->Free();
  snatcher->Free();
  subclass.UnSubclass();
  WNDPROC own = Orvik::SetWindowProc(wnd, DefWindowProcA);
  Orvik::SetWindowProc(wnd, own);
  DestroyWindow(wnd);
  return dispatcher.HandlerCount(WM_APP);
}
