// Message snatcher components.
#include "MessageSnatchers.h"

#include <memory>

#include "Boundary.h"
#include "Forms.h"

#undef RegisterClass

namespace Orvik {

VCL_PUBLISH(TCustomMessageSnatcher, TComponent, Component) {}

TCustomMessageSnatcher::TCustomMessageSnatcher(TComponent* AOwner) : TComponent(AOwner) {
  auto dispatcher = std::make_unique<TMessageEventDispatcher>();
  auto subclass = std::make_unique<TWindowSubclass>();
  subclass->OnWindowMessage = TMessageEventHandler::Bind<&TCustomMessageSnatcher::WindowMessageHandler>(this);
  FDispatcher = dispatcher.release();
  FSubclass = subclass.release();
}

TCustomMessageSnatcher::~TCustomMessageSnatcher() { ShutDown(); }

void TCustomMessageSnatcher::BeforeDestruction() {
  ShutDown();
  TComponent::BeforeDestruction();
}

void TCustomMessageSnatcher::ShutDown() {
  if (!FDispatcher) return;  // done already
  Destroying();
  for (TCall* c = FCalls; c; c = c->Outer) c->SnatcherGone = true;
  FCalls = nullptr;
  // Every registration still held learns that the snatcher goes away.
  TMessage message;
  message.Msg = WM_DESTROY;
  bool handled = false;
  try {
    FDispatcher->DispatchEvent(this, message, handled);
  } catch (...) {
    // Destruction cannot fail: the error goes where callbacks' errors go.
    Vcl::DeliverException(std::current_exception());
  }
  FEnabled = false;
  delete FSubclass;
  FSubclass = nullptr;
  delete FDispatcher;
  FDispatcher = nullptr;
}

void TCustomMessageSnatcher::WindowMessageHandler(TObject* Sender, TMessage& AMessage, bool& Handled) {
  if (!FEnabled) return;
  struct TScope {
    TCustomMessageSnatcher* Self;
    TCall Call;
    explicit TScope(TCustomMessageSnatcher* S) : Self(S), Call{S->FCalls, false} { Self->FCalls = &Call; }
    ~TScope() {
      if (!Call.SnatcherGone) Self->FCalls = Call.Outer;
    }
  } scope(this);
  FDispatcher->DispatchEvent(Sender, AMessage, Handled);
  if (scope.Call.SnatcherGone) return;  // a handler destroyed the snatcher
  if (!Handled && OnMessage.Assigned()) OnMessage(Sender, AMessage, Handled);
}

// ---------------------------------------------------------------------------

VCL_PUBLISH(TFormMessageSnatcher, TCustomMessageSnatcher, Component) {
  P.Bool("Enabled", &TFormMessageSnatcher::Enabled, &TFormMessageSnatcher::SetEnabled, true);
  P.Event("OnMessage", &TFormMessageSnatcher::OnMessage);
}

TFormMessageSnatcher::TFormMessageSnatcher(TComponent* AOwner) : TCustomMessageSnatcher(AOwner) {
  auto* form = Vcl::dyn_cast<Vcl::TCustomForm>(AOwner);
  if (!form) throw Vcl::Exception("オーナーがフォームではありません.");
  Subclass()->SetHandle(form->Handle());
}

// ---------------------------------------------------------------------------

VCL_PUBLISH(TMDIFormClientMessageSnatcher, TCustomMessageSnatcher, Component) {
  P.Bool("Enabled", &TMDIFormClientMessageSnatcher::Enabled, &TMDIFormClientMessageSnatcher::SetEnabled, true);
  P.Event("OnMessage", &TMDIFormClientMessageSnatcher::OnMessage);
}

TMDIFormClientMessageSnatcher::TMDIFormClientMessageSnatcher(TComponent* AOwner) : TCustomMessageSnatcher(AOwner) {
  auto* form = Vcl::dyn_cast<Vcl::TForm>(AOwner);
  if (!form) throw Vcl::Exception("オーナーがフォームではありません.");
  if (form->FormStyle() != Vcl::fsMDIForm) throw Vcl::Exception("フォームは MDIForm ではありません.");
  // The client window is made with the form's: made first, so that a
  // snatcher read with its form hooks something.
  form->HandleNeeded();
  if (HWND client = form->ClientHandle()) Subclass()->SetHandle(client);
}

// ---------------------------------------------------------------------------

VCL_PUBLISH(TControlMessageSnatcher, TCustomMessageSnatcher, Component) {
  P.Bool("Enabled", &TControlMessageSnatcher::Enabled, &TControlMessageSnatcher::SetEnabled, true);
  P.Event("OnMessage", &TControlMessageSnatcher::OnMessage);
  P.Object("Control", &TControlMessageSnatcher::Control, &TControlMessageSnatcher::SetControl);
}

TControlMessageSnatcher::TControlMessageSnatcher(TComponent* AOwner) : TCustomMessageSnatcher(AOwner) {}

void TControlMessageSnatcher::SetControl(TWinControl* Value) {
  if (Subclass()) Subclass()->SetWinControl(Value);  // none once shut down
  FControl = Value;
  // Controls of the same owner are followed through the owner.
  if (Value && Value->Owner() != Owner()) Value->FreeNotification(this);
}

void TControlMessageSnatcher::Notification(TComponent* AComponent, TOperation Operation) {
  if (Operation == Vcl::opRemove && AComponent && AComponent == FControl) SetControl(nullptr);
  TCustomMessageSnatcher::Notification(AComponent, Operation);
}

// ---------------------------------------------------------------------------

VCL_PUBLISH(TNotificationProxy, TComponent, Object) {}

TNotificationProxy::TNotificationProxy() : TComponent(nullptr) {}

void TNotificationProxy::Notification(TComponent* AComponent, TOperation Operation) {
  if (OnNotification.Assigned()) OnNotification(AComponent, Operation);
  TComponent::Notification(AComponent, Operation);
}

// Form resources name the snatchers by class.
static const bool Registered = [] {
  Vcl::RegisterClass(TFormMessageSnatcher::StaticClass());
  Vcl::RegisterClass(TMDIFormClientMessageSnatcher::StaticClass());
  Vcl::RegisterClass(TControlMessageSnatcher::StaticClass());
  return true;
}();

}  // namespace Orvik
