#include "TestComponents.h"

#include "Boundary.h"

#undef RegisterClass

using namespace Vcl;

VCL_PUBLISH(TTestControl, TWinControl, Component) {}

void TTestControl::CreateWnd() {
  if (FailCreate) throw EOSError("テスト用コントロールのウィンドウは作成できません.");
  TWinControl::CreateWnd();
}

namespace {
class TWindowProbe {
 public:
  TWindowProbe(std::string Name, TControl* Control) : FName(std::move(Name)), FOld(Control->WindowProc) {
    Control->WindowProc = TWndMethod::Bind<&TWindowProbe::Proc>(this);
  }

 private:
  void Proc(TMessage& M) {
    Log().Add(FName, M.Msg, M.WParam);
    FOld(M);
    if (M.Msg == WM_APP) M.Result = 0x100 + M.WParam;
  }
  std::string FName;
  TWndMethod FOld;
};
}  // namespace

void ProbeWindow(const std::string& Name, TControl* Control) { new TWindowProbe(Name, Control); }

VCL_PUBLISH(TPlainCustomForm, TCustomForm, Component) {}

VCL_PUBLISH(TTestUser, TSnatcherUser, Component) {}

void TTestUser::DefineHandlers() {
  ++Defines;
  DefineHandler(WM_APP, Orvik::TMessageEventHandler::Bind<&TTestUser::AppHandler>(this));
  DefineHandler(WM_DESTROY, Orvik::TMessageEventHandler::Bind<&TTestUser::DestroyMessage>(this));
}

void TTestUser::DoActivate(bool Value) {
  Log().Note(Name() + (Value ? ".on" : ".off"));
  HandlesAtActivate.push_back(GetHandle());
}

void TTestUser::AppHandler(Orvik::TObject* Sender, Orvik::TMessage& M, bool& Handled) {
  Senders.push_back(Sender);
  Log().Add(Name(), M.Msg, M.WParam);
  if (OnApp) OnApp(Sender, M, Handled);
}

void TTestUser::DestroyMessage(Orvik::TObject* Sender, Orvik::TMessage& M, bool& Handled) {
  Senders.push_back(Sender);
  Log().Add(Name() + ".destroy", M.Msg, M.WParam);
  SeenAtDestroy.push_back({Active(), MessageSnatcher() != nullptr, Control() != nullptr});
}

VCL_PUBLISH(TUserForm, TForm, Component) {
  P.Field("Panel1", &TUserForm::Panel1);
  P.Field("Snatcher1", &TUserForm::Snatcher1);
  P.Field("User1", &TUserForm::User1);
  P.Field("User2", &TUserForm::User2);
  P.Method<&TUserForm::Snatcher1Message>("Snatcher1Message");
}

void TUserForm::Snatcher1Message(Orvik::TObject* Sender, Orvik::TMessage& M, bool& Handled) {
  Log().Add("OnMessage", M.Msg, M.WParam);
}

LRESULT Send(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  return CallCapturing([&] { return SendMessageA(Wnd, Msg, WParam, LParam); });
}

static const bool Registered = [] {
  RegisterClass(TTestControl::StaticClass());
  RegisterClass(TTestUser::StaticClass());
  RegisterClass(TUserForm::StaticClass());
  return true;
}();
