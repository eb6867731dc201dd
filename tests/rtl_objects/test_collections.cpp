// Collections: items made through the item class, their owner and display
// name, Assign, and items that leave when destroyed.
#include <doctest.h>

#include "TestClasses.h"

using namespace Vcl;
using namespace Test;

TEST_CASE("a collection makes items of its item class and owns them") {
  TTestControl owner(nullptr);
  TTestItems* items = owner.Items();
  CHECK(items->ItemClass() == TTestItem::StaticClass());
  CHECK(items->GetOwner() == &owner);
  TCollectionItem* a = items->Add();
  TCollectionItem* b = items->Add();
  CHECK(a->ClassName() == "TTestItem");
  CHECK(a->Collection() == items);
  CHECK(a->GetOwner() == items);
  CHECK(items->Count() == 2);
  CHECK(a->Index() == 0);
  CHECK(b->Index() == 1);
  CHECK(a->ID() != b->ID());
  CHECK(items->FindItemID(b->ID()) == b);
  CHECK(items->FindItemID(999) == nullptr);
  CHECK(a->GetDisplayName() == "TTestItem");
  static_cast<TTestItem*>(a)->Text = "named";
  CHECK(a->DisplayName() == "named");

  b->SetIndex(0);
  CHECK(items->Items(0) == b);
  TCollectionItem* c = items->Insert(1);
  CHECK(items->Items(1) == c);
  delete c;  // an item leaves its collection when destroyed
  CHECK(items->Count() == 2);
  items->Delete(0);
  CHECK(items->Count() == 1);
  CHECK(items->Items(0) == a);
  CHECK_THROWS_WITH_AS(items->Items(1), "リストのインデックスが範囲を超えています (1).", EListError);
  items->Clear();
  CHECK(items->Count() == 0);

  // An item can move to another collection.
  TTestItems other(nullptr);
  TCollectionItem* moved = items->Add();
  moved->SetCollection(&other);
  CHECK(items->Count() == 0);
  CHECK(other.Count() == 1);
  CHECK(other.GetOwner() == nullptr);
}

TEST_CASE("Assign rebuilds a collection item by item") {
  TTestItems source(nullptr), target(nullptr);
  TTestItem* s1 = static_cast<TTestItem*>(source.Add());
  s1->Text = "one";
  s1->Tag = 1;
  TTestItem* s2 = static_cast<TTestItem*>(source.Add());
  s2->Text = "two";
  target.Add();
  target.Add();
  target.Add();
  target.Item(0)->Text = "stale";
  target.Assign(&source);
  REQUIRE(target.Count() == 2);
  CHECK(target.Item(0)->Text == "one");
  CHECK(target.Item(0)->Tag == 1);
  CHECK(target.Item(1)->Text == "two");
  CHECK(target.Item(0) != s1);  // copies, not the same items
  TStringList list;
  CHECK_THROWS_AS(target.Assign(&list), EConvertError);
  CHECK(target.Count() == 2);
}

TEST_CASE("a collection with a class that cannot make items refuses Add") {
  TCollection plain(TTestFont::StaticClass());
  CHECK_THROWS_WITH_AS(plain.Add(), "クラス TTestFont のアイテムは作成できません.", EInvalidOperation);
  CHECK(plain.Count() == 0);
}
