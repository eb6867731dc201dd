// TList and the string lists: entries with objects, text with CR LF,
// exchange, sorting, and the list index error.
#include <doctest.h>

#include "TestClasses.h"

using namespace Vcl;
using namespace Test;

namespace {

AnsiString IndexMessage(int Index) { return "リストのインデックスが範囲を超えています (" + IntToStr(Index) + ")."; }

template <class F>
AnsiString ListErrorOf(F&& Body) {
  try {
    Body();
  } catch (const EListError& e) {
    return e.Message();
  }
  return "(no error)";
}

}  // namespace

TEST_CASE("TList keeps pointers in order") {
  int a = 1, b = 2, c = 3;
  TList list;
  CHECK(list.Add(&a) == 0);
  CHECK(list.Add(&b) == 1);
  list.Insert(0, &c);  // c a b
  CHECK(list.Count() == 3);
  CHECK(list[0] == &c);
  CHECK(list.IndexOf(&b) == 2);
  CHECK(list.IndexOf(nullptr) == -1);
  list.Exchange(0, 2);  // b a c
  CHECK(list.First() == &b);
  CHECK(list.Last() == &c);
  list.Move(0, 2);  // a c b
  CHECK(list.Get(2) == &b);
  CHECK(list.Remove(&c) == 1);  // a b
  CHECK(list.Extract(&a) == &a);
  CHECK(list.Extract(&a) == nullptr);
  list.Add(nullptr);
  list.Add(&c);
  list.Pack();
  CHECK(list.Count() == 2);
  list.Sort([](void* x, void* y) { return *static_cast<int*>(x) - *static_cast<int*>(y); });
  CHECK(list[0] == &b);
  list.Clear();
  CHECK(list.Count() == 0);
}

TEST_CASE("an index outside a list raises the list index error") {
  TList list;
  int x = 0;
  list.Add(&x);
  TStringList strings;
  strings.Add("a");
  struct Case {
    std::function<void()> call;
    int index;
  };
  const Case cases[] = {
      {[&] { list.Get(1); }, 1},
      {[&] { list.Get(-1); }, -1},
      {[&] { list.Delete(5); }, 5},
      {[&] { list.Insert(2, &x); }, 2},
      {[&] { list.Exchange(0, 3); }, 3},
      {[&] { list.First(); list.Clear(); list.First(); }, 0},
      {[&] { strings.Get(1); }, 1},
      {[&] { strings.Strings(-1); }, -1},
      {[&] { strings.Objects(2); }, 2},
      {[&] { strings.PutObject(1, nullptr); }, 1},
      {[&] { strings.Delete(1); }, 1},
      {[&] { strings.Insert(3, "x"); }, 3},
      {[&] { strings.Exchange(0, 1); }, 1},
      {[&] { strings.Put(4, "x"); }, 4},
  };
  for (const Case& c : cases) CHECK(ListErrorOf(c.call) == IndexMessage(c.index));
  CHECK(strings.Text() == "a\r\n");
}

TEST_CASE("string lists hold objects with their strings; Exchange moves both") {
  TComponent one(nullptr), two(nullptr);
  TStringList list;
  list.AddObject("Button10", &one);
  list.Add("Button9");
  list.AddObject("Button1", &two);
  CHECK(list.Objects(0) == &one);
  CHECK(list.Objects(1) == nullptr);
  list.Exchange(0, 2);
  CHECK(list[0] == "Button1");
  CHECK(list.Objects(0) == &two);
  CHECK(list[2] == "Button10");
  CHECK(list.Objects(2) == &one);
  CHECK(list.IndexOfObject(&one) == 2);
  list.Put(1, "Changed");
  CHECK(list[1] == "Changed");
  list.Move(2, 0);
  CHECK(list.Objects(0) == &one);
  CHECK(list.IndexOf("button1") == 1);  // case is ignored unless asked for
  list.SetCaseSensitive(true);
  CHECK(list.IndexOf("button1") == -1);
}

TEST_CASE("Text joins with CR LF after each entry and splits at any line break") {
  struct Case {
    const char* text;
    std::vector<AnsiString> lines;
    const char* back;
  };
  const Case cases[] = {
      {"", {}, ""},
      {"abc", {"abc"}, "abc\r\n"},
      {"a\r\nb\r\n", {"a", "b"}, "a\r\nb\r\n"},
      {"a\nb\rc", {"a", "b", "c"}, "a\r\nb\r\nc\r\n"},
      {"a\r\n\r\nb", {"a", "", "b"}, "a\r\n\r\nb\r\n"},
      {"\r\n", {""}, "\r\n"},
      {"表\r\n示", {"表", "示"}, "表\r\n示\r\n"},
  };
  for (const Case& c : cases) {
    CAPTURE(c.back);
    TStringList list;
    list.AddObject("old", &list);
    list.SetText(c.text);
    REQUIRE(list.Count() == static_cast<int>(c.lines.size()));
    for (int i = 0; i < list.Count(); ++i) {
      CHECK(list[i] == c.lines[i]);
      CHECK(list.Objects(i) == nullptr);
    }
    CHECK(list.Text() == c.back);
  }
}

TEST_CASE("sorted lists keep their order and their rule on duplicates") {
  TStringList list;
  list.Add("pear");
  list.Add("Apple");
  list.Add("fig");
  list.SetSorted(true);
  CHECK(list.Text() == "Apple\r\nfig\r\npear\r\n");
  CHECK(list.Add("banana") == 1);
  CHECK(list.Add("BANANA") == 1);  // ignored: already there
  CHECK(list.Count() == 4);
  int index = -1;
  CHECK(list.Find("FIG", index));
  CHECK(index == 2);
  CHECK_FALSE(list.Find("grape", index));
  CHECK(index == 3);
  CHECK(list.IndexOf("Pear") == 3);
  CHECK(ListErrorOf([&] { list.Insert(0, "x"); }) == "ソート済みリストでは操作できません.");
  CHECK(ListErrorOf([&] { list.Put(0, "x"); }) == "ソート済みリストでは操作できません.");
  list.SetDuplicates(dupError);
  CHECK(ListErrorOf([&] { list.Add("apple"); }) == "重複した文字列は許可されていません.");
  list.SetDuplicates(dupAccept);
  list.Add("apple");
  CHECK(list.Count() == 5);
  // Double-byte characters are never folded: a trail byte in the letter
  // range must not make two characters equal.
  TStringList kana;
  kana.Add("ア");  // 83 41
  CHECK(kana.IndexOf("ツ") == -1);  // 83 63
  CHECK(AnsiCompareText("ア", "ツ") != 0);
  CHECK(AnsiCompareText("abc", "ABC") == 0);
}

TEST_CASE("change events, Assign, AddStrings, Equals and name=value entries") {
  TStringList list;
  int changes = 0;
  struct TCounter {
    int* Count;
    void Changed(TObject*) { ++*Count; }
  } counter{&changes};
  list.OnChange = TNotifyEvent::Bind<&TCounter::Changed>(&counter);
  list.Add("a");
  list.Add("b");
  CHECK(changes == 2);
  list.BeginUpdate();
  list.Add("c");
  list.Delete(0);
  CHECK(changes == 2);
  list.EndUpdate();
  CHECK(changes == 3);

  TComponent obj(nullptr);
  TStringList copy;
  copy.Add("stale");
  list.PutObject(0, &obj);
  copy.Assign(&list);
  CHECK(copy.Equals(&list));
  CHECK(copy.Objects(0) == &obj);
  copy.AddStrings(&list);
  CHECK(copy.Count() == 4);
  CHECK_FALSE(copy.Equals(&list));
  CHECK_THROWS_AS(copy.Assign(&obj), EConvertError);

  TStringList values;
  values.Add("Left=10");
  values.SetValue("top", "20");
  values.SetValue("LEFT", "30");
  CHECK(values.Text() == "LEFT=30\r\ntop=20\r\n");  // the entry takes the name as given
  CHECK(values.GetValue("Top") == "20");
  CHECK(values.GetName(0) == "LEFT");
  values.SetValue("left", "");
  CHECK(values.Count() == 1);
}
