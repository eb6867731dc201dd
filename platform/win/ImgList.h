// The image list: equal-sized images kept by a system image list.
#pragma once

// Before <windows.h>: its RegisterClass macro must not rename ours.
#include "Classes.h"

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "Graphics.h"

namespace Vcl {

class TCustomImageList;

// Tells a user of an image list (a list view) that its images changed.
class TChangeLink {
 public:
  TChangeLink() = default;
  ~TChangeLink();
  TChangeLink(const TChangeLink&) = delete;
  TChangeLink& operator=(const TChangeLink&) = delete;

  TCustomImageList* Sender() const { return FSender; }
  TNotifyEvent OnChange;

 private:
  friend class TCustomImageList;
  TCustomImageList* FSender = nullptr;
};

class TCustomImageList : public TComponent {
  VCL_CLASS(TCustomImageList)
 public:
  explicit TCustomImageList(TComponent* AOwner);
  ~TCustomImageList() override;

  // The system image list, made when first asked for.
  HIMAGELIST Handle();
  bool HandleAllocated() const { return FHandle != nullptr; }

  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  // A new size empties the list. Sizes below 1 are refused with
  // EInvalidOperation, as an image of that size cannot exist.
  void SetWidth(int Value);
  void SetHeight(int Value);

  int Count();
  // Removes every image.
  void Clear();
  // Appends a copy of the icon scaled to the list's size and returns its
  // position. Raises EInvalidOperation "イメージサイズが正しくありません"
  // when the list's images are larger than the icon object reports; an
  // icon object without a handle adds nothing and answers -1.
  int AddIcon(TIcon* Image);
  // Gives Image a new icon holding image Index at the list's size.
  void GetIcon(int Index, TIcon* Image);
  // Gives Image the list's size (its new area white) and draws image Index
  // at (0, 0) through its mask.
  void GetBitmap(int Index, TBitmap* Image);
  // Draws image Index with its mask at (X, Y).
  void Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled = true);

  void RegisterChanges(TChangeLink* Link);
  void UnRegisterChanges(TChangeLink* Link);

  TNotifyEvent OnChange;

 protected:
  void Change();
  void CheckIndex(int Index);

 private:
  void ApplySize();

  HIMAGELIST FHandle = nullptr;
  int FWidth = 16;
  int FHeight = 16;
  std::vector<TChangeLink*> FLinks;
};

class TImageList : public TCustomImageList {
  VCL_CLASS(TImageList)
 public:
  using TCustomImageList::TCustomImageList;
};

}  // namespace Vcl
