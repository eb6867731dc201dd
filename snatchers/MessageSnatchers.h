// Message snatchers: components that hook a form, an MDI client window or a
// control and share that hook with the handlers registered with them.
#pragma once

#include "WindowSubclass.h"

namespace Orvik {

// A component that hooks one window and offers its messages to the handlers
// registered with its dispatcher, then to OnMessage, then to the window.
class ORVIK_API TCustomMessageSnatcher : public TComponent {
  VCL_CLASS(TCustomMessageSnatcher)
 public:
  explicit TCustomMessageSnatcher(TComponent* AOwner);
  // Tells every registration under WM_DESTROY that the snatcher goes away
  // (whatever Enabled is), then unhooks; done in BeforeDestruction when the
  // snatcher is freed with Free, while it is still whole.
  ~TCustomMessageSnatcher() override;
  void BeforeDestruction() override;

  bool Enabled() const { return FEnabled; }
  // While false, every message passes untouched; takes effect at once.
  void SetEnabled(bool Value) { FEnabled = Value; }
  TMessageEventDispatcher* Dispatcher() const { return FDispatcher; }
  TWindowSubclass* Subclass() const { return FSubclass; }

  // The snatcher's part of every message of the hooked window.
  void WindowMessageHandler(TObject* Sender, TMessage& AMessage, bool& Handled);

  // Called when no registered handler set Handled; Sender is Subclass().
  TMessageEventHandler OnMessage;

 private:
  struct TCall {
    TCall* Outer;
    bool SnatcherGone;
  };
  void ShutDown();

  bool FEnabled = true;
  TMessageEventDispatcher* FDispatcher = nullptr;
  TWindowSubclass* FSubclass = nullptr;
  TCall* FCalls = nullptr;
};

// Hooks the window of the form that owns it.
class ORVIK_API TFormMessageSnatcher : public TCustomMessageSnatcher {
  VCL_CLASS(TFormMessageSnatcher)
 public:
  // Raises Exception "オーナーがフォームではありません." unless AOwner is a form.
  explicit TFormMessageSnatcher(TComponent* AOwner);
};

// Hooks the MDI client window of the MDI frame form that owns it.
class ORVIK_API TMDIFormClientMessageSnatcher : public TCustomMessageSnatcher {
  VCL_CLASS(TMDIFormClientMessageSnatcher)
 public:
  // Raises Exception "オーナーがフォームではありません." unless AOwner is a
  // TForm, and "フォームは MDIForm ではありません." unless it is an MDI frame.
  // The form's windows are made first if it has none yet.
  explicit TMDIFormClientMessageSnatcher(TComponent* AOwner);
};

// Hooks the window of the control named by Control.
class ORVIK_API TControlMessageSnatcher : public TCustomMessageSnatcher {
  VCL_CLASS(TControlMessageSnatcher)
 public:
  explicit TControlMessageSnatcher(TComponent* AOwner);

  TWinControl* Control() const { return FControl; }
  // Gives the earlier control's window its procedure back and hooks Value's
  // (creating it if needed). When the control's window cannot be made, the
  // exception goes on and Control still names the earlier control.
  void SetControl(TWinControl* Value);

  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TWinControl* FControl = nullptr;
};

// Passes the removal notifications it receives on to OnNotification, so that
// an object that is not a component can follow a component's end.
class ORVIK_API TNotificationProxy : public TComponent {
  VCL_CLASS(TNotificationProxy)
 public:
  TNotificationProxy();

  void Notification(TComponent* AComponent, TOperation Operation) override;

  Vcl::Closure<void(TComponent*, TOperation)> OnNotification;
};

}  // namespace Orvik
