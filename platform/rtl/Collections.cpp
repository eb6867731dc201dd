#include "Collections.h"

#include <algorithm>

#include "Lists.h"

namespace Vcl {

VCL_PUBLISH(TCollectionItem, TPersistent, Item) {}

TCollectionItem::TCollectionItem(TCollection* Collection) { SetCollection(Collection); }

TCollectionItem::~TCollectionItem() { SetCollection(nullptr); }

void TCollectionItem::SetCollection(TCollection* Value) {
  if (FCollection == Value) return;
  if (FCollection) FCollection->RemoveItem(this);
  if (Value) Value->InsertItem(this);
}

int TCollectionItem::Index() const {
  if (!FCollection) return -1;
  auto& v = FCollection->FItems;
  return static_cast<int>(std::find(v.begin(), v.end(), this) - v.begin());
}

void TCollectionItem::SetIndex(int Value) {
  int cur = Index();
  if (cur < 0 || Value == cur) return;
  auto& v = FCollection->FItems;
  if (Value < 0) Value = 0;
  if (Value >= static_cast<int>(v.size())) Value = static_cast<int>(v.size()) - 1;
  v.erase(v.begin() + cur);
  v.insert(v.begin() + Value, this);
  Changed(true);
}

AnsiString TCollectionItem::GetDisplayName() const { return ClassName(); }

TPersistent* TCollectionItem::GetOwner() { return FCollection; }

void TCollectionItem::Changed(bool AllItems) {
  if (FCollection && FCollection->FUpdateCount == 0) FCollection->Update(AllItems ? nullptr : this);
}

// ---------------------------------------------------------------------------

VCL_PUBLISH(TCollection, TPersistent, Object) {}

TCollection::TCollection(TClass ItemClass) : FItemClass(ItemClass) {}

TCollection::~TCollection() {
  FUpdateCount = 1;  // no Update calls while the collection goes
  while (!FItems.empty()) delete FItems.back();
}

TCollectionItem* TCollection::Items(int Index) const {
  if (Index < 0 || Index >= Count()) ListIndexError(Index);
  return FItems[Index];
}

TCollectionItem* TCollection::Add() {
  if (!FItemClass || !FItemClass->CreateItem)
    throw EInvalidOperation(FormatMsg("クラス %s のアイテムは作成できません.", FItemClass ? FItemClass->Name : "nil"));
  TCollectionItem* item = FItemClass->CreateItem(this);
  // Constructors that forgot their collection still end up in it.
  if (item->Collection() != this) item->SetCollection(this);
  Changed();
  return item;
}

TCollectionItem* TCollection::Insert(int Index) {
  if (Index < 0 || Index > Count()) ListIndexError(Index);
  TCollectionItem* item = Add();
  item->SetIndex(Index);
  return item;
}

void TCollection::Delete(int Index) { delete Items(Index); }

void TCollection::Clear() {
  if (FItems.empty()) return;
  BeginUpdate();
  while (!FItems.empty()) delete FItems.back();
  EndUpdate();
}

TCollectionItem* TCollection::FindItemID(int ID) const {
  for (TCollectionItem* item : FItems)
    if (item->FID == ID) return item;
  return nullptr;
}

void TCollection::BeginUpdate() { ++FUpdateCount; }

void TCollection::EndUpdate() {
  if (FUpdateCount > 0 && --FUpdateCount == 0) Changed();
}

void TCollection::Changed() {
  if (FUpdateCount == 0) Update(nullptr);
}

void TCollection::InsertItem(TCollectionItem* Item) {
  FItems.push_back(Item);
  Item->FCollection = this;
  Item->FID = FNextID++;
}

void TCollection::RemoveItem(TCollectionItem* Item) {
  FItems.erase(std::remove(FItems.begin(), FItems.end(), Item), FItems.end());
  Item->FCollection = nullptr;
  Changed();
}

void TCollection::Assign(TPersistent* Source) {
  TCollection* src = dyn_cast<TCollection>(Source);
  if (!src) return TPersistent::Assign(Source);
  if (src == this) return;
  BeginUpdate();
  try {
    Clear();
    for (TCollectionItem* item : src->FItems) Add()->Assign(item);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

VCL_PUBLISH(TOwnedCollection, TCollection, Object) {}

}  // namespace Vcl
