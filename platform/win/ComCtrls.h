// The list view and its items.
#pragma once

// Before <windows.h>: its RegisterClass macro must not rename ours.
#include "Classes.h"

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <vector>

#include "Collections.h"
#include "Controls.h"
#include "ImgList.h"
#include "Menus.h"

namespace Vcl {

class TCustomListView;
class TListItems;

class TListItem : public TPersistent {
  VCL_CLASS(TListItem)
 public:
  TListItems* Owner() const { return FOwner; }
  TCustomListView* ListView() const;
  // Position in the list.
  int Index() const;

  AnsiString Caption() const { return FCaption; }
  void SetCaption(const AnsiString& Value);
  // Position of the item's picture in the list view's image list; -1: none.
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int Value);
  bool Selected() const;
  void SetSelected(bool Value);
  void* Data = nullptr;

  // Removes the item from the list and destroys it.
  void Delete();

 private:
  friend class TListItems;
  friend class TCustomListView;
  explicit TListItem(TListItems* AOwner) : FOwner(AOwner) {}

  TListItems* FOwner;
  AnsiString FCaption;
  int FImageIndex = -1;
  bool FSelected = false;  // kept while the list has no window
};

// The items of a list view, in the order they were added.
class TListItems : public TPersistent {
  VCL_CLASS(TListItems)
 public:
  explicit TListItems(TCustomListView* AOwner) : FOwner(AOwner) {}
  ~TListItems() override;

  TCustomListView* Owner() const { return FOwner; }
  int Count() const { return static_cast<int>(FItems.size()); }
  // Raises EListError for an index out of range.
  TListItem* Item(int Index) const;
  TListItem* operator[](int Index) const { return Item(Index); }
  int IndexOf(const TListItem* Item) const;

  // A new item at the end.
  TListItem* Add();
  TListItem* Insert(int Index);
  void Delete(int Index);
  // Removes every item.
  void Clear();
  // Stops and restarts repainting around many changes.
  void BeginUpdate();
  void EndUpdate();

 private:
  friend class TCustomListView;
  friend class TListItem;
  TCustomListView* FOwner;
  std::vector<std::unique_ptr<TListItem>> FItems;
  int FUpdateCount = 0;
};

// A column of the report view.
class TListColumn : public TCollectionItem {
  VCL_CLASS(TListColumn)
 public:
  explicit TListColumn(TCollection* Collection) : TCollectionItem(Collection) {}
  AnsiString Caption() const { return FCaption; }
  void SetCaption(const AnsiString& Value);
  int Width() const { return FWidth; }
  void SetWidth(int Value);
  AnsiString GetDisplayName() const override;

 private:
  AnsiString FCaption;
  int FWidth = 50;
};

class TListColumns : public TOwnedCollection {
  VCL_CLASS(TListColumns)
 public:
  explicit TListColumns(TCustomListView* AOwner);
  TListColumn* Add() { return static_cast<TListColumn*>(TCollection::Add()); }
  TListColumn* Items(int Index) const { return static_cast<TListColumn*>(TCollection::Items(Index)); }

 protected:
  void Update(TCollectionItem* Item) override;

 private:
  TCustomListView* FListView;
};

enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };
enum TIconArrangement { iaTop, iaLeft };
enum THotTrackStyle { htHandPoint, htUnderlineCold, htUnderlineHot };
using THotTrackStyles = unsigned;  // bit n = THotTrackStyle n
enum TBorderStyle { bsNoBorder, bsSingleBorder };

// How the icon views lay out their icons.
class TIconOptions : public TPersistent {
  VCL_CLASS(TIconOptions)
 public:
  explicit TIconOptions(TCustomListView* AOwner) : FOwner(AOwner) {}
  TIconArrangement Arrangement() const { return FArrangement; }
  void SetArrangement(TIconArrangement Value);
  // Keeps the icons arranged as items come and go.
  bool AutoArrange() const { return FAutoArrange; }
  void SetAutoArrange(bool Value);
  bool WrapText() const { return FWrapText; }
  void SetWrapText(bool Value);

 private:
  TCustomListView* FOwner;
  TIconArrangement FArrangement = iaTop;
  bool FAutoArrange = false;
  bool FWrapText = true;
};

class TCustomListView : public TWinControl {
  VCL_CLASS(TCustomListView)
 public:
  explicit TCustomListView(TComponent* AOwner);
  ~TCustomListView() override;

  TListItems* Items() const { return FItems; }
  TListColumns* Columns() const { return FColumns; }
  TIconOptions* IconOptions() const { return FIconOptions; }

  TViewStyle ViewStyle() const { return FViewStyle; }
  void SetViewStyle(TViewStyle Value);
  // The pictures of the icon view, and of the other views.
  TCustomImageList* LargeImages() const { return FLargeImages; }
  void SetLargeImages(TCustomImageList* Value);
  TCustomImageList* SmallImages() const { return FSmallImages; }
  void SetSmallImages(TCustomImageList* Value);
  // When true the user cannot edit captions.
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value);
  // When false at most one item is selected.
  bool MultiSelect() const { return FMultiSelect; }
  void SetMultiSelect(bool Value);
  bool HideSelection() const { return FHideSelection; }
  void SetHideSelection(bool Value);
  bool HotTrack() const { return FHotTrack; }
  void SetHotTrack(bool Value);
  THotTrackStyles HotTrackStyles() const { return FHotTrackStyles; }
  void SetHotTrackStyles(THotTrackStyles Value);
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);

  // The item whose icon or caption lies at the client point, or null.
  TListItem* GetItemAt(int X, int Y);
  // The selected item (the first, when several are), or null.
  TListItem* Selected();
  // Makes Item the one selected item; null clears the selection.
  void SetSelected(TListItem* Item);

  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Loaded() override;

 protected:
  friend class TListItems;
  friend class TListItem;
  friend class TIconOptions;
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void WndProc(TMessage& Message) override;
  void ColorChanged() override;
  void FontChanged() override;
  // Style changes need a new window.
  void StyleChanged();
  LRESULT Send(UINT Msg, WPARAM WParam, LPARAM LParam);
  void InsertItemWindow(int Index, TListItem* Item);
  void UpdateItemWindow(int Index, TListItem* Item);

 private:
  void ImageListChange(TObject* Sender);
  void ApplyImageLists();
  void ApplyColors();
  void ApplyColumns();

  friend class TListColumns;
  TListItems* FItems;
  TListColumns* FColumns;
  TIconOptions* FIconOptions;
  TViewStyle FViewStyle = vsIcon;
  TCustomImageList* FLargeImages = nullptr;
  TCustomImageList* FSmallImages = nullptr;
  TChangeLink FLargeChangeLink;
  TChangeLink FSmallChangeLink;
  SIZE FAppliedLargeSize{0, 0};  // the image size the control last measured
  bool FReadOnly = false;
  bool FMultiSelect = false;
  bool FHideSelection = true;
  bool FHotTrack = false;
  THotTrackStyles FHotTrackStyles = 0;
  TBorderStyle FBorderStyle = bsSingleBorder;
  // Buttons pressed over the list whose release has not reached us.
  unsigned FButtonsDown = 0;
};

class TListView : public TCustomListView {
  VCL_CLASS(TListView)
 public:
  using TCustomListView::TCustomListView;
};

}  // namespace Vcl
