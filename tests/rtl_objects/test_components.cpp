// Components: ownership, names, notification, free notification and
// destruction; persistent assignment.
#include <doctest.h>

#include "TestClasses.h"

using namespace Vcl;
using namespace Test;

namespace {

std::vector<std::string> Events;

// Writes down what it is told and when it goes.
class TRecorder : public TComponent {
  VCL_CLASS(TRecorder)
 public:
  explicit TRecorder(TComponent* AOwner, const char* AName = "") : TComponent(AOwner) { SetName(AName); }
  ~TRecorder() override { Events.push_back("destroy " + Name()); }
  void Notification(TComponent* AComponent, TOperation Operation) override {
    std::string what = Operation == opInsert ? " insert " : " remove ";
    Events.push_back(Name() + what + AComponent->Name() + (HasState(csDestroying) ? " (destroying)" : ""));
    TComponent::Notification(AComponent, Operation);
  }
};

VCL_PUBLISH(TRecorder, TComponent, Component) {}

}  // namespace

TEST_CASE("names are identifiers, unique in the owner without regard to case") {
  TComponent owner(nullptr);
  TComponent* a = new TComponent(&owner);
  TComponent* b = new TComponent(&owner);
  for (const char* good : {"Button1", "_x", "a_b9", "Z"}) {
    a->SetName(good);
    CHECK(a->Name() == good);
  }
  for (const char* bad : {"1abc", "a b", "a-b", "a.b", "表示", " x"}) {
    AnsiString message = "(accepted)";
    try {
      a->SetName(bad);
    } catch (const EComponentError& e) {
      message = e.Message();
    }
    CHECK(message == "'" + AnsiString(bad) + "' はコンポーネント名として正しくありません.");
    CHECK(a->Name() == "Z");
  }
  a->SetName("Button1");
  CHECK_THROWS_WITH_AS(b->SetName("BUTTON1"), "コンポーネント名 BUTTON1 は既に存在します.", EComponentError);
  CHECK(b->Name().empty());
  a->SetName("button1");  // its own name in another case
  CHECK(a->Name() == "button1");
  b->SetName("Button2");
  a->SetName("");  // unnamed components do not clash
  b->SetName("");
  CHECK(owner.FindComponent("") == nullptr);

  // The same name under another owner is fine; moving it into this one is not.
  TComponent other(nullptr);
  a->SetName("Edit1");
  TComponent* c = new TComponent(&other);
  c->SetName("EDIT1");
  CHECK_THROWS_AS(owner.InsertComponent(c), EComponentError);
  CHECK(c->Owner() == &other);
  CHECK(other.FindComponent("edit1") == c);
}

TEST_CASE("FindComponent, Components and ComponentIndex") {
  TComponent owner(nullptr);
  TComponent* a = new TComponent(&owner);
  TComponent* b = new TComponent(&owner);
  a->SetName("Alpha");
  b->SetName("Beta");
  CHECK(owner.FindComponent("alpha") == a);
  CHECK(owner.FindComponent("BETA") == b);
  CHECK(owner.FindComponent("Gamma") == nullptr);
  CHECK(owner.ComponentCount() == 2);
  CHECK(a->ComponentIndex() == 0);
  CHECK(b->ComponentIndex() == 1);
  CHECK(owner.ComponentIndex() == -1);
  for (int bad : {-1, 2}) {
    AnsiString message;
    try {
      owner.Components(bad);
    } catch (const EListError& e) {
      message = e.Message();
    }
    CHECK(message == "リストのインデックスが範囲を超えています (" + IntToStr(bad) + ").");
  }
}

TEST_CASE("every component of the owner is told of insertions and removals") {
  Events.clear();
  TRecorder owner(nullptr, "Owner");
  TRecorder* a = new TRecorder(&owner, "A");
  a->SetName("A");
  TRecorder* b = new TRecorder(nullptr, "B");
  owner.InsertComponent(b);
  owner.RemoveComponent(a);
  // Told last first; the removed one is told too, before it goes.
  CHECK(Events == std::vector<std::string>{"Owner insert ", "Owner insert B", "B insert B", "A insert B",
                                           "Owner remove A", "B remove A", "A remove A"});
  CHECK(a->Owner() == nullptr);
  CHECK(owner.FindComponent("A") == nullptr);
  CHECK(owner.ComponentCount() == 1);
  Events.clear();
  a->Free();
  CHECK(Events == std::vector<std::string>{"destroy A"});  // no longer owned: nobody else is told
}

TEST_CASE("an owner destroys what it owns, last first, telling the others") {
  for (bool useFree : {true, false}) {
    CAPTURE(useFree);
    Events.clear();
    TComponent* owner = new TComponent(nullptr);
    new TRecorder(owner, "A");
    new TRecorder(owner, "B");
    new TRecorder(owner, "C");
    Events.clear();
    if (useFree)
      owner->Free();
    else
      delete owner;
    CHECK(Events == std::vector<std::string>{
                        "C remove C (destroying)", "B remove C (destroying)", "A remove C (destroying)", "destroy C",
                        "B remove B (destroying)", "A remove B (destroying)", "destroy B",
                        "A remove A (destroying)", "destroy A"});
  }
}

TEST_CASE("a component destroyed alone leaves its owner, and its owner's field") {
  Events.clear();
  TTestForm form(nullptr);
  TTestControl* panel = new TTestControl(&form);
  panel->SetName("Panel1");
  CHECK(form.Panel1 == panel);
  TTestLabel* label = new TTestLabel(&form);
  label->SetName("Label1");
  CHECK(form.Label1 == label);  // a field published as an object property
  panel->SetName("Panel2");
  CHECK(form.Panel1 == nullptr);
  panel->SetName("Panel1");
  CHECK(form.Panel1 == panel);
  delete panel;
  CHECK(form.Panel1 == nullptr);
  CHECK(form.FindComponent("Panel1") == nullptr);
  label->Free();
  CHECK(form.Label1 == nullptr);
  CHECK(form.ComponentCount() == 0);
  // A field of another class is left alone.
  TTestLabel* wrong = new TTestLabel(&form);
  wrong->SetName("Panel1");
  CHECK(form.Panel1 == nullptr);
}

TEST_CASE("free notification reaches components of other owners, both ways") {
  SUBCASE("the watched component goes first") {
    Events.clear();
    TComponent formA(nullptr), formB(nullptr);
    TRecorder* x = new TRecorder(&formA, "X");
    TRecorder* y = new TRecorder(&formB, "Y");
    x->FreeNotification(y);
    CHECK(x->HasState(csFreeNotification));
    Events.clear();
    x->Free();
    CHECK(Events == std::vector<std::string>{"Y remove X", "X remove X (destroying)", "destroy X"});
    Events.clear();
    y->Free();  // X is gone and must not be told
    CHECK(Events == std::vector<std::string>{"Y remove Y (destroying)", "destroy Y"});
  }
  SUBCASE("it works the other way round too, and after a plain delete") {
    Events.clear();
    TComponent formA(nullptr), formB(nullptr);
    TRecorder* x = new TRecorder(&formA, "X");
    TRecorder* y = new TRecorder(&formB, "Y");
    x->FreeNotification(y);
    Events.clear();
    // delete runs the derived destructor first, then the same steps.
    delete y;
    CHECK(Events == std::vector<std::string>{"destroy Y", "X remove Y"});
  }
  SUBCASE("components without an owner, and withdrawal") {
    Events.clear();
    TRecorder* x = new TRecorder(nullptr, "X");
    TRecorder* y = new TRecorder(nullptr, "Y");
    TRecorder* z = new TRecorder(nullptr, "Z");
    x->FreeNotification(y);
    x->FreeNotification(z);
    x->RemoveFreeNotification(z);
    Events.clear();
    x->Free();
    CHECK(Events == std::vector<std::string>{"Y remove X", "destroy X"});
    y->Free();
    z->Free();
  }
  SUBCASE("a reference kept through a free notification is cleared") {
    TComponent formA(nullptr), formB(nullptr);
    TTestControl* c = new TTestControl(&formA);
    TTestControl* buddy = new TTestControl(&formB);
    c->SetBuddy(buddy);
    buddy->Free();
    CHECK(c->Buddy() == nullptr);
    REQUIRE(c->Removed.size() == 1);
  }
}

TEST_CASE("component state: loading, designing, destroying") {
  TComponent owner(nullptr);
  TComponent* a = new TComponent(&owner);
  a->SetComponentState(csLoading, true);
  CHECK(a->HasState(csLoading));
  a->Loaded();
  CHECK_FALSE(a->HasState(csLoading));
  owner.SetDesigning(true);
  CHECK(a->HasState(csDesigning));
  TComponent* b = new TComponent(&owner);  // inserted into a designing owner
  CHECK(b->HasState(csDesigning));
  owner.SetDesigning(false);
  CHECK_FALSE(b->HasState(csDesigning));
}

TEST_CASE("persistent objects assign what they know and refuse the rest") {
  TTestFont a, b;
  a.Name = "MS Gothic";
  a.Size = 12;
  a.Style << fsBold;
  b.Assign(&a);
  CHECK(b.Name == "MS Gothic");
  CHECK(b.Size == 12);
  CHECK(b.Style.Contains(fsBold));
  CHECK_THROWS_WITH_AS(b.Assign(nullptr), "nil を TTestFont に代入できません.", EConvertError);
  TStringList list;
  CHECK_THROWS_WITH_AS(b.Assign(&list), "TStringList を TTestFont に代入できません.", EConvertError);
  CHECK(b.Size == 12);
}
