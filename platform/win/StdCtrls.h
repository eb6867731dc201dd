// Standard controls: the label and the push button.
#pragma once

// Before <windows.h>: its RegisterClass macro must not rename ours.
#include "Classes.h"

#include <windows.h>

#include "Controls.h"
#include "Forms.h"

namespace Vcl {

enum TAlignment { taLeftJustify, taRightJustify, taCenter };

// A line (or, with WordWrap, lines) of text on its parent's background.
// It never takes the focus. With AutoSize (the default) it is as large as
// its text: as wide as the text's longest line, or, with WordWrap, of its
// own width and as high as the wrapped text.
class TLabel : public TWinControl {
  VCL_CLASS(TLabel)
 public:
  explicit TLabel(TComponent* AOwner);

  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);
  // When true "&" marks the next character as an access key and "&&"
  // shows one "&".
  bool ShowAccelChar() const { return FShowAccelChar; }
  void SetShowAccelChar(bool Value);
  // When true the label shows its parent's colour.
  bool ParentColor() const { return FParentColor; }
  void SetParentColor(bool Value);
  // A colour of its own ends ParentColor.
  void SetColor(TColor Value);

  void SetParent(TWinControl* AParent) override;
  void Loaded() override;

 protected:
  void WndProc(TMessage& Message) override;
  void TextChanged() override;
  void FontChanged() override;

 private:
  void AdjustBounds();
  void SyncParentColor();
  UINT DrawFlags() const;
  void Paint(HDC DC);
  void Invalidate();

  TAlignment FAlignment = taLeftJustify;
  bool FAutoSize = true;
  bool FWordWrap = false;
  bool FShowAccelChar = true;
  bool FParentColor = true;
};

// A push button. A click sets the form's ModalResult to the button's (when
// that is not mrNone), then runs OnClick. Enter clicks the focused button,
// or the Default one when no button has the focus; Esc clicks the Cancel
// one.
class TButton : public TWinControl {
  VCL_CLASS(TButton)
 public:
  explicit TButton(TComponent* AOwner);

  bool Default() const { return FDefault; }
  void SetDefault(bool Value);
  bool Cancel() const { return FCancel; }
  void SetCancel(bool Value) { FCancel = Value; }
  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult Value) { FModalResult = Value; }

  virtual void Click();
  TNotifyEvent OnClick;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void WndProc(TMessage& Message) override;

 private:
  // True when Enter is this button's: it has the focus, or it is the
  // default button and no button has the focus.
  bool TakesEnter() const;

  bool FDefault = false;
  bool FCancel = false;
  TModalResult FModalResult = mrNone;
};

}  // namespace Vcl
