// More controls: the panel, and the image with its picture.
#pragma once

// Before <windows.h>: its RegisterClass macro must not rename ours.
#include "Classes.h"

#include <windows.h>

#include "Controls.h"
#include "Graphics.h"
#include "StdCtrls.h"

namespace Vcl {

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };

// A raised or sunken area that holds other controls, with a caption in the
// middle. Its bevels are drawn outer bevel, border, inner bevel, from the
// edge inwards; aligned children stay inside them.
class TPanel : public TWinControl {
  VCL_CLASS(TPanel)
 public:
  explicit TPanel(TComponent* AOwner);

  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  TBevelCut BevelInner() const { return FBevelInner; }
  void SetBevelInner(TBevelCut Value);
  TBevelCut BevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(TBevelCut Value);
  int BevelWidth() const { return FBevelWidth; }
  void SetBevelWidth(int Value);
  int BorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(int Value);
  // When true the panel shows its parent's colour.
  bool ParentColor() const { return FParentColor; }
  void SetParentColor(bool Value);
  // A colour of its own ends ParentColor.
  void SetColor(TColor Value);

  void SetParent(TWinControl* AParent) override;
  void Loaded() override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void WndProc(TMessage& Message) override;
  void AlignControls(RECT& Rect) override;
  void TextChanged() override;

 private:
  void SyncParentColor();
  void Changed();
  void Paint(HDC DC);
  // The space the bevels and the border take from each edge.
  int FrameWidth() const;

  TAlignment FAlignment = taCenter;
  TBevelCut FBevelInner = bvNone;
  TBevelCut FBevelOuter = bvRaised;
  int FBevelWidth = 1;
  int FBorderWidth = 0;
  bool FParentColor = false;
};

// The picture of an image control: an icon or a bitmap, or nothing. Form
// resources keep it in the defined property "Data": the length and name
// of the picture's class, then the picture (a bitmap with its length in
// front).
class TPicture : public TPersistent {
  VCL_CLASS(TPicture)
 public:
  TPicture() = default;
  ~TPicture() override;
  TPicture(const TPicture&) = delete;
  TPicture& operator=(const TPicture&) = delete;

  // The picture, or null.
  TGraphic* Graphic() const { return FGraphic; }
  // The picture as an icon; a picture of another kind is replaced by an
  // empty icon first.
  TIcon* Icon();
  // The same for a bitmap.
  TBitmap* Bitmap();
  void Clear();
  int Width() const { return FGraphic ? FGraphic->Width() : 0; }
  int Height() const { return FGraphic ? FGraphic->Height() : 0; }

  // Reads a picture file: ".ico" an icon, ".bmp" a bitmap; raises
  // EInvalidGraphic for other extensions. The picture is kept unchanged
  // when the file cannot be read.
  void LoadFromFile(const AnsiString& FileName);
  // Tells OnChange; call it after changing the graphic in place.
  void Changed();
  TNotifyEvent OnChange;

  void Assign(TPersistent* Source) override;
  void DefineProperties(TFiler* Filer) override;

 private:
  void ReadData(TStream* Stream);
  void WriteData(TStream* Stream);
  void Take(TGraphic* Value);

  TGraphic* FGraphic = nullptr;
};

// Shows a picture: at its own size from the top-left corner, centred
// (Center), or filling the control (Stretch). With AutoSize the control
// takes the picture's size. The background is the parent's colour.
class TImage : public TWinControl {
  VCL_CLASS(TImage)
 public:
  explicit TImage(TComponent* AOwner);
  ~TImage() override;

  TPicture* Picture() const { return FPicture; }
  // Copies Value into the image's own picture.
  void SetPicture(TPicture* Value) { FPicture->Assign(Value); }
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value);
  bool Stretch() const { return FStretch; }
  void SetStretch(bool Value);
  bool Center() const { return FCenter; }
  void SetCenter(bool Value);

  // Where the picture is drawn, in client coordinates.
  RECT DestRect();
  void Loaded() override;

 protected:
  void WndProc(TMessage& Message) override;

 private:
  void PictureChanged(TObject* Sender);
  void AdjustSize();
  void Invalidate();

  TPicture* FPicture;
  bool FAutoSize = false;
  bool FStretch = false;
  bool FCenter = false;
};

}  // namespace Vcl
