// Collections: an owned, ordered list of items of one class, read and
// written in form resources as "< item ... end >".
#pragma once

#include <vector>

#include "Classes.h"

namespace Vcl {

class TCollection;

class TCollectionItem : public TPersistent {
  VCL_CLASS(TCollectionItem)
 public:
  // Adds the item to Collection when one is given.
  explicit TCollectionItem(TCollection* Collection);
  // Leaves its collection.
  ~TCollectionItem() override;

  TCollection* Collection() const { return FCollection; }
  // Moves the item to another collection (or none).
  void SetCollection(TCollection* Value);
  // Position in the collection, or -1.
  int Index() const;
  void SetIndex(int Value);
  // Unique within the collection, in order of creation.
  int ID() const { return FID; }
  // The name shown for the item: the class name unless overridden.
  virtual AnsiString GetDisplayName() const;
  AnsiString DisplayName() const { return GetDisplayName(); }
  TPersistent* GetOwner() override;

 protected:
  // Tells the collection that this item (or, with AllItems, every item)
  // changed.
  void Changed(bool AllItems);

 private:
  friend class TCollection;
  TCollection* FCollection = nullptr;
  int FID = 0;
};

class TCollection : public TPersistent {
  VCL_CLASS(TCollection)
 public:
  // ItemClass names a collection-item class with a virtual constructor.
  explicit TCollection(TClass ItemClass);
  // Destroys the items.
  ~TCollection() override;

  TClass ItemClass() const { return FItemClass; }
  int Count() const { return static_cast<int>(FItems.size()); }
  // Raises EListError outside 0..Count()-1.
  TCollectionItem* Items(int Index) const;
  TCollectionItem* operator[](int Index) const { return Items(Index); }
  // A new item of the item class, appended.
  TCollectionItem* Add();
  TCollectionItem* Insert(int Index);
  void Delete(int Index);
  void Clear();
  TCollectionItem* FindItemID(int ID) const;
  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }

  // Clears this collection, then adds one new item per item of Source and
  // assigns it from that item.
  void Assign(TPersistent* Source) override;
  TPersistent* GetOwner() override { return nullptr; }

 protected:
  // Told after items change (Item null: many or all of them); not while
  // updating.
  virtual void Update(TCollectionItem* Item) {}
  void Changed();

 private:
  friend class TCollectionItem;
  void InsertItem(TCollectionItem* Item);
  void RemoveItem(TCollectionItem* Item);

  TClass FItemClass;
  std::vector<TCollectionItem*> FItems;
  int FNextID = 0;
  int FUpdateCount = 0;
};

// A collection that names its owner (GetOwner).
class TOwnedCollection : public TCollection {
  VCL_CLASS(TOwnedCollection)
 public:
  TOwnedCollection(TPersistent* AOwner, TClass ItemClass) : TCollection(ItemClass), FOwner(AOwner) {}
  TPersistent* GetOwner() override { return FOwner; }

 private:
  TPersistent* FOwner;
};

}  // namespace Vcl
