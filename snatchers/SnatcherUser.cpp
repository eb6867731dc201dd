// The snatcher user: base of the features that handle window messages.
#include "SnatcherUser.h"

#include <algorithm>
#include <memory>

#include "Boundary.h"
#include "Controls.h"

namespace Orvik {

VCL_PUBLISH(TSnatcherUser, TComponent, Object) {
  P.Bool("Active", &TSnatcherUser::Active, &TSnatcherUser::SetActive, false);
  P.Object("MessageSnatcher", &TSnatcherUser::MessageSnatcher, &TSnatcherUser::SetSnatcher);
  P.Object("Control", &TSnatcherUser::Control, &TSnatcherUser::SetControl);
}

TSnatcherUser::TSnatcherUser(TComponent* AOwner) : TComponent(AOwner) {
  auto subclass = std::make_unique<TWindowSubclass>();
  auto dispatcher = std::make_unique<TMessageEventDispatcher>();
  // Every message of the hooked window goes straight to the own dispatcher.
  subclass->OnWindowMessage = TMessageEventHandler::Bind<&TMessageEventDispatcher::DispatchEvent>(dispatcher.get());
  FOwnSubclass = subclass.release();
  FOwnDispatcher = dispatcher.release();
}

TSnatcherUser::~TSnatcherUser() {
  // Freed with delete: switched off here, without the derived part.
  SwitchOffForGood();
  delete FOwnSubclass;
  FOwnSubclass = nullptr;
  delete FOwnDispatcher;
  FOwnDispatcher = nullptr;
}

void TSnatcherUser::BeforeDestruction() {
  SwitchOffForGood();
  TComponent::BeforeDestruction();
}

void TSnatcherUser::SwitchOffForGood() {
  try {
    SetActive(false);
  } catch (...) {
    Vcl::DeliverException(std::current_exception());
  }
  // Whatever that did, nothing may call this user any more.
  FActive = false;
  FOwnSubclass->SetWinControl(nullptr);
  WithdrawAll();
}

// ---------------------------------------------------------------------------
// Handler definitions and registrations

void TSnatcherUser::DefineHandler(int Msg, TMessageEventHandler Handler) {
  FHandlerList.push_back(THandlerDefinition{Msg, Handler});
}

void TSnatcherUser::ClearHandlerList() { FHandlerList.clear(); }

void TSnatcherUser::DefineOnce() {
  if (FDefined) return;
  FDefined = true;
  DefineHandlers();
}

void TSnatcherUser::AddHandlers(TMessageEventDispatcher* D) {
  if (!D || HasState(Vcl::csLoading)) return;
  // Known before anything is added, so that even a partial registration is
  // taken back when this user goes.
  if (D == FOwnDispatcher) {
    FOwnRegistered = true;
  } else if (std::none_of(FForeign.begin(), FForeign.end(), [D](const TForeign& f) { return f.Dispatcher == D; })) {
    FForeign.push_back(TForeign{D, D->Life()});
  }
  D->AddHandler(WM_DESTROY, TMessageEventHandler::Bind<&TSnatcherUser::DestroyHandler>(this));
  for (const THandlerDefinition& def : FHandlerList) D->AddHandler(static_cast<unsigned>(def.Msg), def.Handler);
}

void TSnatcherUser::DeleteHandlers(TMessageEventDispatcher* D) {
  if (!D) return;
  for (const THandlerDefinition& def : FHandlerList) D->DeleteHandler(static_cast<unsigned>(def.Msg), def.Handler);
  D->DeleteHandler(WM_DESTROY, TMessageEventHandler::Bind<&TSnatcherUser::DestroyHandler>(this));
  if (D == FOwnDispatcher) {
    FOwnRegistered = false;
  } else {
    // A snatcher's dispatcher keeps nothing of this user, not even what was
    // registered from definitions cleared since.
    D->DeleteHandlersOf(this);
    Forget(D);
  }
}

void TSnatcherUser::Forget(TMessageEventDispatcher* D) {
  FForeign.erase(std::remove_if(FForeign.begin(), FForeign.end(),
                                [D](const TForeign& f) { return f.Dispatcher == D; }),
                 FForeign.end());
}

void TSnatcherUser::WithdrawAll() {
  const std::vector<TForeign> foreign = std::move(FForeign);
  FForeign.clear();
  for (const TForeign& f : foreign)
    if (!f.Life.expired()) DeleteHandlers(f.Dispatcher);
}

void TSnatcherUser::DestroyHandler(TObject* Sender, TMessage& AMessage, bool& Handled) {
  // Forgets the window or snatcher that goes away, even when DoActivate fails.
  struct TForgetting {
    TSnatcherUser* Self;
    TObject* Sender;
    ~TForgetting() {
      Self->FMessageSnatcher = nullptr;
      Self->FControl = nullptr;
      // A snatcher's dispatcher lets go of this user's registrations: its
      // window or the snatcher itself is gone. Those of WM_DESTROY are still
      // called by this dispatch and leave when it ends.
      for (const TForeign& f : Self->FForeign) {
        if (f.Dispatcher != Sender || f.Life.expired()) continue;
        for (const THandlerDefinition& def : Self->FHandlerList) {
          const auto msg = static_cast<unsigned>(def.Msg);
          if (msg == WM_DESTROY)
            f.Dispatcher->WithdrawHandler(msg, def.Handler);
          else
            f.Dispatcher->DeleteHandler(msg, def.Handler);
        }
        f.Dispatcher->WithdrawHandler(WM_DESTROY, TMessageEventHandler::Bind<&TSnatcherUser::DestroyHandler>(Self));
      }
    }
  } forgetting{this, Sender};
  if (FActive) {
    FActive = false;
    DoActivate(false);
  }
}

// ---------------------------------------------------------------------------
// Switching on and off

void TSnatcherUser::CheckActive() const {
  if (!HasState(Vcl::csLoading) && FActive) throw Vcl::Exception("コンポーネントがアクティブです.");
}

// Registers and hooks for the mode that is set; on failure takes back what
// it did and raises, so that the user stays switched off.
void TSnatcherUser::SwitchOn() {
  try {
    DefineOnce();
    // Registrations left in a dispatcher since the user last went off.
    WithdrawAll();
    if (FMessageSnatcher) AddHandlers(FMessageSnatcher->Dispatcher());
    if (FControl) {
      if (!FOwnRegistered) AddHandlers(FOwnDispatcher);
      FOwnSubclass->SetWinControl(FControl);
    }
  } catch (...) {
    FActive = false;
    if (FMessageSnatcher) DeleteHandlers(FMessageSnatcher->Dispatcher());
    FOwnSubclass->SetWinControl(nullptr);
    throw;
  }
}

void TSnatcherUser::Loaded() {
  TComponent::Loaded();
  DefineOnce();
  if (!FActive) return;
  SwitchOn();
  DoActivate(true);
}

void TSnatcherUser::SetActive(bool Value) {
  if (Value == FActive) return;
  if (HasState(Vcl::csLoading)) {
    FActive = Value;
    return;
  }
  if (Value && !FMessageSnatcher && !FControl) throw Vcl::Exception("MessageSnatcher か Control を設定して下さい.");
  FActive = Value;
  if (Value) {
    SwitchOn();
  } else {
    if (FMessageSnatcher) DeleteHandlers(FMessageSnatcher->Dispatcher());
    FOwnSubclass->SetWinControl(nullptr);
  }
  DoActivate(FActive);
}

void TSnatcherUser::SetSnatcher(TCustomMessageSnatcher* Value) {
  CheckActive();
  FControl = nullptr;
  FMessageSnatcher = Value;
  Follow(Value);
}

void TSnatcherUser::SetControl(TWinControl* Value) {
  CheckActive();
  FMessageSnatcher = nullptr;
  FControl = Value;
  Follow(Value);
}

void TSnatcherUser::Follow(TComponent* Value) {
  // Told when it goes, whether or not the user is active then.
  if (Value) Value->FreeNotification(this);
}

void TSnatcherUser::Notification(TComponent* AComponent, TOperation Operation) {
  if (Operation == Vcl::opRemove && AComponent &&
      (AComponent == FMessageSnatcher || AComponent == static_cast<TComponent*>(FControl))) {
    // Normally already switched off by WM_DESTROY. The component may be
    // half destroyed: touch nothing of it.
    const bool wasActive = FActive;
    FActive = false;
    FMessageSnatcher = nullptr;
    FControl = nullptr;
    if (wasActive) {
      FOwnSubclass->SetWinControl(nullptr);
      WithdrawAll();
      try {
        DoActivate(false);
      } catch (...) {
        Vcl::DeliverException(std::current_exception());
      }
    }
  }
  TComponent::Notification(AComponent, Operation);
}

// ---------------------------------------------------------------------------
// The window, subclass and dispatcher in use

HWND TSnatcherUser::GetHandle() const {
  if (FMessageSnatcher) return FMessageSnatcher->Subclass()->Handle();
  if (FControl) return FControl->Handle();
  return nullptr;
}

TWindowSubclass* TSnatcherUser::GetSubclass() const {
  if (FMessageSnatcher) return FMessageSnatcher->Subclass();
  if (FControl) return FOwnSubclass;
  return nullptr;
}

TMessageEventDispatcher* TSnatcherUser::GetDispatcher() const {
  if (FMessageSnatcher) return FMessageSnatcher->Dispatcher();
  if (FControl) return FOwnDispatcher;
  return nullptr;
}

}  // namespace Orvik
