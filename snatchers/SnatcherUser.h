// The snatcher user: base of the features that work by handling window
// messages.
#pragma once

#include "MessageSnatchers.h"

namespace Orvik {

// One message handler that a snatcher user defines.
struct THandlerDefinition {
  int Msg;
  TMessageEventHandler Handler;
};

// Base of the features that work by handling window messages. It registers
// the handlers its derived class defines with a snatcher's dispatcher
// (MessageSnatcher set) or hooks a control's window itself (Control set),
// and is switched on and off through Active.
//
// Derived classes:
// 1. Override DefineHandlers and call DefineHandler there for each message.
//    It runs once: from Loaded, or, for a user made at run time, when it is
//    first switched on.
// 2. Handlers receive the dispatcher in use as Sender. Setting Handled keeps
//    the message from OnMessage and the window's own procedure.
// 3. The user's own WM_DESTROY handlers run after the user has been switched
//    off and has forgotten its snatcher and control.
// 4. Override DoActivate to act when the feature is switched on or off;
//    Active already holds the new value.
// 5. SetActive may be overridden to refuse or prepare; it must call the base.
// 6. Free switches the user off through SetActive(false) while it is still
//    whole (BeforeDestruction). A user destroyed with delete is switched off
//    by the base destructor, when the derived part is already gone: a
//    derived class whose SetActive or DoActivate does work then calls
//    SetActive(false) at the start of its own destructor.
// 7. A property that must not change while active calls CheckActive.
class ORVIK_API TSnatcherUser : public TComponent {
  VCL_CLASS(TSnatcherUser)
 public:
  explicit TSnatcherUser(TComponent* AOwner);
  ~TSnatcherUser() override;
  // Switches the user off (SetActive(false)) while it is still whole.
  void BeforeDestruction() override;

  bool Active() const { return FActive; }
  virtual void SetActive(bool Value);
  TCustomMessageSnatcher* MessageSnatcher() const { return FMessageSnatcher; }
  // Refused while active ("コンポーネントがアクティブです."); clears Control.
  void SetSnatcher(TCustomMessageSnatcher* Value);
  TWinControl* Control() const { return FControl; }
  // Refused while active; clears MessageSnatcher.
  void SetControl(TWinControl* Value);

  // The window in use: the snatcher's hooked window, or the control's
  // (created if needed); null when unbound.
  HWND GetHandle() const;
  // The subclass in use: the snatcher's, or the user's own in Control mode.
  TWindowSubclass* GetSubclass() const;
  // The dispatcher in use: the snatcher's, or the user's own in Control mode.
  TMessageEventDispatcher* GetDispatcher() const;

  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 protected:
  virtual void DoActivate(bool Value) {}
  virtual void DefineHandlers() = 0;

  void DefineHandler(int Msg, TMessageEventHandler Handler);
  void ClearHandlerList();
  // Registers DestroyHandler under WM_DESTROY, then every definition;
  // nothing while loading.
  void AddHandlers(TMessageEventDispatcher* D);
  // Deletes every definition, then DestroyHandler, from D.
  void DeleteHandlers(TMessageEventDispatcher* D);
  // Switches the user off when the window in use or the snatcher goes away.
  void DestroyHandler(TObject* Sender, TMessage& AMessage, bool& Handled);
  // Raises "コンポーネントがアクティブです." when active outside loading.
  void CheckActive() const;

  const std::vector<THandlerDefinition>& HandlerList() const { return FHandlerList; }

 private:
  struct TForeign {
    TMessageEventDispatcher* Dispatcher;
    std::weak_ptr<void> Life;
  };
  void DefineOnce();
  void SwitchOn();
  void SwitchOffForGood();
  // Deletes this user's registrations from every other dispatcher that may
  // still hold them.
  void WithdrawAll();
  void Forget(TMessageEventDispatcher* D);
  void Follow(TComponent* Value);

  std::vector<THandlerDefinition> FHandlerList;
  TWindowSubclass* FOwnSubclass = nullptr;
  TMessageEventDispatcher* FOwnDispatcher = nullptr;
  bool FActive = false;
  TCustomMessageSnatcher* FMessageSnatcher = nullptr;
  TWinControl* FControl = nullptr;
  bool FDefined = false;        // DefineHandlers has run
  bool FOwnRegistered = false;  // the definitions are registered with FOwnDispatcher
  std::vector<TForeign> FForeign;
};

}  // namespace Orvik
