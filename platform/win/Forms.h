// Forms and the application object.
#pragma once

// Before <windows.h>: its RegisterClass macro must not rename ours.
#include "Classes.h"

#include <windows.h>

#include <exception>

#include "Controls.h"
#include "Menus.h"

namespace Vcl {

VCL_EXCEPTION(EResNotFound, Exception)

// What closed a modal form.
using TModalResult = int;
constexpr TModalResult mrNone = 0, mrOk = IDOK, mrCancel = IDCANCEL, mrAbort = IDABORT, mrRetry = IDRETRY,
                       mrIgnore = IDIGNORE, mrYes = IDYES, mrNo = IDNO, mrAll = IDNO + 1;

enum TPosition {
  poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter,
  poDesktopCenter, poMainFormCenter, poOwnerFormCenter
};
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };

// A form's scroll bar settings. Forms here do not scroll their contents, so
// a scroll bar never shows whatever Visible says.
class TControlScrollBar : public TPersistent {
  VCL_CLASS(TControlScrollBar)
 public:
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value) { FVisible = Value; }

 private:
  bool FVisible = true;
};

class TCustomForm : public TWinControl {
  VCL_CLASS(TCustomForm)
 public:
  explicit TCustomForm(TComponent* AOwner);
  ~TCustomForm() override;

  TMainMenu* Menu() const { return FMenu; }
  void SetMenu(TMainMenu* Value);
  TPosition Position() const { return FPosition; }
  void SetPosition(TPosition Value) { FPosition = Value; }
  TFormStyle FormStyle() const { return FFormStyle; }
  void SetFormStyle(TFormStyle Value);
  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle Value);
  // The MDI client window of an MDI form (null for other forms).
  HWND ClientHandle() const { return FClientHandle; }
  TControlScrollBar* HorzScrollBar() const { return FHorzScrollBar; }
  TControlScrollBar* VertScrollBar() const { return FVertScrollBar; }
  bool OldCreateOrder() const { return FOldCreateOrder; }
  void SetOldCreateOrder(bool Value) { FOldCreateOrder = Value; }
  // The resolution the form was designed at, and the height of its text.
  int PixelsPerInch() const { return FPixelsPerInch; }
  void SetPixelsPerInch(int Value) { FPixelsPerInch = Value; }
  int TextHeight() const { return FTextHeight; }
  void SetTextHeight(int Value) { FTextHeight = Value; }

  // The control that has (or last had) the focus on this form.
  TWinControl* ActiveControl() const { return FActiveControl; }
  void SetActiveControl(TWinControl* Control);

  // The size of the client area. Set before the window exists, it makes
  // the window as large as such a client area needs (with its border,
  // caption and menu as they are when the window is made).
  int ClientWidth() override;
  int ClientHeight() override;
  void SetClientWidth(int Value);
  void SetClientHeight(int Value);
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

  // Shows the form; OnShow runs before it appears on screen.
  void SetVisible(bool Value) override;
  // The main form's close ends the application; a modal form's close ends
  // its modal loop with mrCancel; other forms are hidden.
  void Close();

  // Shows the form and runs a message loop until its ModalResult is set
  // (or the application ends: mrCancel); the thread's other windows are
  // disabled meanwhile. The form is hidden again and its modal result
  // returned. Raises EInvalidOperation for a form already visible.
  TModalResult ShowModal();
  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult Value) { FModalResult = Value; }
  bool Modal() const { return FModal; }
  // Runs the item of the form's menu with this shortcut.
  virtual bool IsShortCut(TShortCut Value);

  TNotifyEvent OnShow;
  TNotifyEvent OnHide;

  void Notification(TComponent* AComponent, TOperation Operation) override;
  TComponent* GetChildOwner() override { return this; }

  // Called by controls of the form.
  void FocusChanged(TWinControl* Control);
  void ControlRemoved(TControl* Control);

 protected:
  // Reads the form resource named after the form's class (in capitals)
  // into this form. A form class's constructor calls it first, so that its
  // published fields receive the components.
  void ReadFormResource();

  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void WndProc(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;
  void AlignControls(RECT& Rect) override;
  void ColorChanged() override;
  virtual void DoShow();
  virtual void DoHide();

 private:
  void FocusFirst();

  TMainMenu* FMenu = nullptr;
  TPosition FPosition = poDesigned;
  TFormStyle FFormStyle = fsNormal;
  TFormBorderStyle FBorderStyle = bsSizeable;
  HWND FClientHandle = nullptr;
  TControlScrollBar* FHorzScrollBar;
  TControlScrollBar* FVertScrollBar;
  bool FOldCreateOrder = false;
  int FPixelsPerInch = 96;
  int FTextHeight = 0;
  TWinControl* FActiveControl = nullptr;
  HBRUSH FBrush = nullptr;
  // A client size asked for before the window existed; -1: none.
  int FClientWidth = -1, FClientHeight = -1;
  bool FModal = false;
  TModalResult FModalResult = mrNone;
  // The window size that holds the client size asked for.
  void ApplyClientSize(TCreateParams* Params);
};

class TForm : public TCustomForm {
  VCL_CLASS(TForm)
 public:
  using TCustomForm::TCustomForm;
};

class TApplication : public TComponent {
  VCL_CLASS(TApplication)
 public:
  explicit TApplication(TComponent* AOwner);
  ~TApplication() override;

  // Prepares the application object; called first.
  void Initialize();

  // The name of the program: the caption of its error boxes.
  AnsiString Title() const;
  void SetTitle(const AnsiString& Value);

  // The application's own hidden window, made when first asked for.
  HWND Handle();
  TCustomForm* MainForm() const { return FMainForm; }

  // Makes a form owned by the application and stores it in *Reference;
  // the first form made is the main form.
  template <class T>
  void CreateForm(TClass InstanceClass, T** Reference) {
    TComponent* form = CreateFormInstance(InstanceClass, T::StaticClass());
    if (Reference) *Reference = static_cast<T*>(form);
  }

  // Shows the main form and dispatches messages until Terminate or the
  // main form's close.
  void Run();
  // The message loop ends after the current message.
  void Terminate();
  bool Terminated() const { return FTerminated; }
  // Handles every waiting message, then returns.
  void ProcessMessages();
  // Handles one message, waiting for one when none is there.
  void HandleMessage();

  // The error box: the message (with "." when its last character sorts
  // after "."), the title as caption, the error icon, one OK button.
  void ShowException(Exception* E);
  void ShowException(std::exception_ptr E);
  // Shows the exception being handled; call it in a catch block.
  void HandleException(TObject* Sender);

  // The window that dialogs and message boxes belong to now.
  HWND ActiveFormHandle();

  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TComponent* CreateFormInstance(TClass InstanceClass, TClass Required);
  bool ProcessMessage(MSG& Msg);
  bool IsKeyMsg(MSG& Msg);
  void WndProc(TMessage& Message);
  void ShowErrorText(const AnsiString& Message);

  AnsiString FTitle;
  HWND FHandle = nullptr;
  WNDPROC FObjectInstance = nullptr;
  TCustomForm* FMainForm = nullptr;
  bool FTerminated = false;
};

// The one application object.
extern TApplication* Application;

}  // namespace Vcl
