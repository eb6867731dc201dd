#include "ImgList.h"

#include <algorithm>

#undef RegisterClass

namespace Vcl {

namespace {
const char* const InvalidImageSize = "イメージサイズが正しくありません";

const bool Registered = [] {
  RegisterClass(TImageList::StaticClass());
  return true;
}();
}  // namespace

TChangeLink::~TChangeLink() {
  if (FSender) FSender->UnRegisterChanges(this);
}

VCL_PUBLISH(TCustomImageList, TComponent, Component) {
  P.Int<int>("Height", &TCustomImageList::Height, &TCustomImageList::SetHeight, 16);
  P.Int<int>("Width", &TCustomImageList::Width, &TCustomImageList::SetWidth, 16);
  P.Event<void(TObject*)>("OnChange", &TCustomImageList::OnChange);
}

VCL_PUBLISH(TImageList, TCustomImageList, Component) {}

TCustomImageList::TCustomImageList(TComponent* AOwner) : TComponent(AOwner) {
  static const bool commonControls = [] {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
    return InitCommonControlsEx(&icc) != FALSE;
  }();
  (void)commonControls;
}

TCustomImageList::~TCustomImageList() {
  Destroying();
  for (TChangeLink* link : FLinks) link->FSender = nullptr;
  FLinks.clear();
  if (FHandle) ImageList_Destroy(FHandle);
}

HIMAGELIST TCustomImageList::Handle() {
  if (!FHandle) {
    FHandle = ImageList_Create(FWidth, FHeight, ILC_COLOR32 | ILC_MASK, 0, 8);
    if (!FHandle) throw EOutOfMemory("イメージリストを作成できません.");
  }
  return FHandle;
}

void TCustomImageList::ApplySize() {
  // Setting the size empties the system list as well.
  if (FHandle && !ImageList_SetIconSize(FHandle, FWidth, FHeight)) {
    ImageList_Destroy(FHandle);
    FHandle = nullptr;
  }
  Clear();
}

void TCustomImageList::SetWidth(int Value) {
  if (Value < 1) throw EInvalidOperation(InvalidImageSize);
  if (Value == FWidth) return;
  FWidth = Value;
  ApplySize();
}

void TCustomImageList::SetHeight(int Value) {
  if (Value < 1) throw EInvalidOperation(InvalidImageSize);
  if (Value == FHeight) return;
  FHeight = Value;
  ApplySize();
}

int TCustomImageList::Count() { return FHandle ? ImageList_GetImageCount(FHandle) : 0; }

void TCustomImageList::Clear() {
  if (FHandle) ImageList_Remove(FHandle, -1);
  Change();
}

int TCustomImageList::AddIcon(TIcon* Image) {
  if (!Image) throw EInvalidOperation("アイコンが指定されていません.");
  if (Height() > Image->Height() || Width() > Image->Width()) throw EInvalidOperation(InvalidImageSize);
  if (!Image->Handle()) return -1;
  const int index = ImageList_AddIcon(Handle(), Image->Handle());
  Change();
  return index;
}

void TCustomImageList::CheckIndex(int Index) {
  if (Index < 0 || Index >= Count())
    throw EInvalidOperation(FormatMsg("イメージのインデックス %s は範囲外です.", IntToStr(Index)));
}

void TCustomImageList::GetIcon(int Index, TIcon* Image) {
  if (!Image) throw EInvalidOperation("アイコンが指定されていません.");
  CheckIndex(Index);
  HICON icon = ImageList_GetIcon(Handle(), Index, ILD_NORMAL);
  if (!icon) throw EOutOfMemory("アイコンを作成できません.");
  Image->SetHandle(icon);
}

void TCustomImageList::GetBitmap(int Index, TBitmap* Image) {
  if (!Image) throw EInvalidOperation("ビットマップが指定されていません.");
  CheckIndex(Index);
  Image->SetSize(Width(), Height());
  HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) throw EOutOfMemory("デバイスコンテキストを作成できません.");
  HGDIOBJ old = SelectObject(dc, Image->Handle());
  ImageList_Draw(Handle(), Index, dc, 0, 0, ILD_NORMAL);
  SelectObject(dc, old);
  DeleteDC(dc);
}

void TCustomImageList::Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled) {
  if (!Canvas || !Canvas->Handle() || !FHandle) return;
  if (Index < 0 || Index >= Count()) return;
  if (Enabled)
    ImageList_Draw(FHandle, Index, Canvas->Handle(), X, Y, ILD_NORMAL);
  else
    ImageList_DrawEx(FHandle, Index, Canvas->Handle(), X, Y, 0, 0, CLR_NONE, CLR_NONE, ILD_BLEND50);
}

void TCustomImageList::RegisterChanges(TChangeLink* Link) {
  if (!Link) return;
  if (Link->FSender && Link->FSender != this) Link->FSender->UnRegisterChanges(Link);
  Link->FSender = this;
  if (std::find(FLinks.begin(), FLinks.end(), Link) == FLinks.end()) FLinks.push_back(Link);
}

void TCustomImageList::UnRegisterChanges(TChangeLink* Link) {
  if (!Link) return;
  FLinks.erase(std::remove(FLinks.begin(), FLinks.end(), Link), FLinks.end());
  if (Link->FSender == this) Link->FSender = nullptr;
}

void TCustomImageList::Change() {
  if (HasState(csLoading) || HasState(csDestroying)) return;
  // A copy: a receiver may unregister while being told.
  std::vector<TChangeLink*> links = FLinks;
  for (TChangeLink* link : links)
    if (std::find(FLinks.begin(), FLinks.end(), link) != FLinks.end()) link->OnChange(this);
  OnChange(this);
}

}  // namespace Vcl
