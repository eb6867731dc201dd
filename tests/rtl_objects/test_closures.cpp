// Closures: binding, calling, equality, and the signature checks that keep
// a method from being called through an event of another type.
#include <doctest.h>

#include "TestClasses.h"

using namespace Vcl;
using namespace Test;

namespace {

struct TPlain {
  int Calls = 0;
  int Add(int A, int B) {
    ++Calls;
    return A + B;
  }
};

}  // namespace

TEST_CASE("a closure calls the member function on its object") {
  TPlain p;
  auto add = Closure<int(int, int)>::Bind<&TPlain::Add>(&p);
  CHECK(add.Assigned());
  CHECK(add(2, 3) == 5);
  CHECK(p.Calls == 1);

  Closure<int(int, int)> empty;
  CHECK_FALSE(empty.Assigned());
  CHECK(empty(2, 3) == 0);  // an unassigned closure does nothing
  CHECK(p.Calls == 1);
}

TEST_CASE("closures are assigned by code and equal by code and object") {
  TTestForm a(nullptr), b(nullptr);
  TNotifyEvent a1 = TNotifyEvent::Bind<&TTestForm::ButtonClick>(&a);
  TNotifyEvent a2 = TNotifyEvent::Bind<&TTestForm::ButtonClick>(&a);
  TNotifyEvent b1 = TNotifyEvent::Bind<&TTestForm::ButtonClick>(&b);
  TNotifyEvent other = TNotifyEvent::Bind<&TTestForm::OtherClick>(&a);
  CHECK(a1 == a2);
  CHECK_FALSE(a1 == b1);     // same method, two objects: two closures
  CHECK_FALSE(a1 == other);  // same object, two methods
  CHECK(a1.Method().Data == static_cast<void*>(static_cast<TObject*>(&a)));

  TMethod m = a1.Method();
  CHECK(m.Assigned());
  CHECK_FALSE(TMethod().Assigned());
  TMethod nullCodeWithData{nullptr, &a};
  CHECK_FALSE(nullCodeWithData.Assigned());
  CHECK_FALSE(nullCodeWithData == TMethod());

  b1(&b);
  CHECK(b.Calls == std::vector<std::string>{"ButtonClick"});
  CHECK(a.Calls.empty());
}

TEST_CASE("invokers are registered with their signature") {
  TTestForm form(nullptr);
  TNotifyEvent click = TNotifyEvent::Bind<&TTestForm::ButtonClick>(&form);
  TMessageEventHandler handler = TMessageEventHandler::Bind<&TTestForm::PanelMessage>(&form);
  CHECK(InvokerSignature(click.Method().Code) == &SignatureOf<void(TObject*)>::Tag);
  CHECK(TNotifyEvent::Accepts(click.Method()));
  CHECK_FALSE(TNotifyEvent::Accepts(handler.Method()));
  CHECK(TMessageEventHandler::Accepts(handler.Method()));
  CHECK(TNotifyEvent::Accepts(TMethod()));
  int local = 0;
  CHECK(InvokerSignature(&local) == nullptr);
  // The published method table holds the same invoker a Bind makes.
  CHECK(form.MethodAddress("ButtonClick") == click.Method().Code);
  CHECK(form.MethodName(click.Method().Code) == "ButtonClick");
}

TEST_CASE("an event takes a method by name, and refuses one of another signature") {
  TTestForm form(nullptr);
  TTestControl control(nullptr);
  TMethod click{form.MethodAddress("buttonclick"), static_cast<TObject*>(&form)};
  SetMethodProp(&control, "OnClick", click);
  control.OnClick(&control);
  CHECK(form.Calls == std::vector<std::string>{"ButtonClick"});
  CHECK(GetMethodProp(&control, "OnClick") == click);

  struct Case {
    const char* event;
    TMethod method;
    const char* message;
  };
  int notCode = 0;
  TTestControl stranger(nullptr);
  const Case refused[] = {
      {"OnClick", {form.MethodAddress("PanelMessage"), &form}, "メソッドの型がイベント OnClick の型と一致しません."},
      {"OnMessage", {form.MethodAddress("ButtonClick"), &form}, "メソッドの型がイベント OnMessage の型と一致しません."},
      {"OnClick", {form.MethodAddress("Count"), &form}, "メソッドの型がイベント OnClick の型と一致しません."},
      {"OnClick", {&notCode, &form}, "イベント OnClick には登録されていないメソッドは設定できません."},
      {"OnClick", {form.MethodAddress("ButtonClick"), nullptr},
       "イベント OnClick には対象オブジェクトのないメソッドは設定できません."},
      {"OnClick", {form.MethodAddress("ButtonClick"), static_cast<TObject*>(&stranger)},
       "メソッドの対象オブジェクト (TTestControl) はイベント OnClick のメソッドのクラスではありません."},
      {"Caption", {form.MethodAddress("ButtonClick"), &form}, "プロパティ Caption はイベント型ではありません."},
  };
  for (const Case& c : refused) {
    CAPTURE(c.message);
    try {
      SetMethodProp(&control, c.event, c.method);
      FAIL("accepted");
    } catch (const EPropertyError& e) {
      CHECK(e.Message() == c.message);
    }
    // The event kept its method.
    CHECK(GetMethodProp(&control, "OnClick") == click);
  }

  // A null code clears the event.
  SetMethodProp(&control, "OnClick", TMethod());
  CHECK_FALSE(control.OnClick.Assigned());
}
