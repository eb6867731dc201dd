// Controls, forms and a snatcher user made for the tests of this folder.
#pragma once

#include "Snatchers.h"

#include <functional>
#include <string>
#include <vector>

#include "CallLog.h"
#include "Forms.h"

// A plain windowed control. With FailCreate its window cannot be made.
class TTestControl : public Vcl::TWinControl {
  VCL_CLASS(TTestControl)
 public:
  explicit TTestControl(Vcl::TComponent* AOwner) : Vcl::TWinControl(AOwner) {}
  bool FailCreate = false;

 protected:
  void CreateWnd() override;
};

// Records, under Name, every watched message that reaches a control's own
// processing (its WindowProc) and answers WM_APP with 0x100 + WParam. The
// probe is never freed, so the control may go whenever it likes.
void ProbeWindow(const std::string& Name, Vcl::TControl* Control);

// A custom form that is not a TForm.
class TPlainCustomForm : public Vcl::TCustomForm {
  VCL_CLASS(TPlainCustomForm)
 public:
  explicit TPlainCustomForm(Vcl::TComponent* AOwner) : Vcl::TCustomForm(AOwner) {}
};

// A snatcher user that handles WM_APP and WM_DESTROY and records its calls
// under its Name: "<Name>" for WM_APP, "<Name>.destroy" for WM_DESTROY,
// notes "<Name>.on" / "<Name>.off" for DoActivate.
class TTestUser : public Orvik::TSnatcherUser {
  VCL_CLASS(TTestUser)
 public:
  explicit TTestUser(Vcl::TComponent* AOwner) : Orvik::TSnatcherUser(AOwner) {}

  int Defines = 0;
  // Run by the WM_APP handler after recording.
  std::function<void(Orvik::TObject*, Orvik::TMessage&, bool&)> OnApp;
  std::vector<Orvik::TObject*> Senders;
  // GetHandle() at each DoActivate.
  std::vector<HWND> HandlesAtActivate;
  // State seen by the WM_DESTROY handler: Active, MessageSnatcher, Control.
  struct TSeen {
    bool Active;
    bool Snatcher;
    bool Control;
  };
  std::vector<TSeen> SeenAtDestroy;

  void AppHandler(Orvik::TObject* Sender, Orvik::TMessage& M, bool& Handled);
  void DestroyMessage(Orvik::TObject* Sender, Orvik::TMessage& M, bool& Handled);
  using Orvik::TSnatcherUser::ClearHandlerList;
  using Orvik::TSnatcherUser::HandlerList;

 protected:
  void DefineHandlers() override;
  void DoActivate(bool Value) override;
};

// A form whose components come from form text.
class TUserForm : public Vcl::TForm {
  VCL_CLASS(TUserForm)
 public:
  explicit TUserForm(Vcl::TComponent* AOwner) : Vcl::TForm(AOwner) {}
  TTestControl* Panel1 = nullptr;
  Orvik::TControlMessageSnatcher* Snatcher1 = nullptr;
  TTestUser* User1 = nullptr;
  TTestUser* User2 = nullptr;
  void Snatcher1Message(Orvik::TObject* Sender, Orvik::TMessage& M, bool& Handled);
};

// Sends a message from our code: an exception of a handler comes back here.
LRESULT Send(HWND Wnd, UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);
