// Small component classes that exercise every kind of published member,
// nesting, references, events and defined properties.
#pragma once

#include <string>
#include <vector>

#include "Classes.h"
#include "Collections.h"
#include "Filer.h"
#include "Lists.h"

namespace Test {

using namespace Vcl;

// What components did, in order: "Loaded Button1", "SetCaption Panel1 loading", ...
extern std::vector<std::string> Log;

enum TAlign { alNone, alTop, alBottom, alClient };
extern const TEnumInfo AlignInfo;
enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = Set<TFontStyle, fsBold, fsStrikeOut>;
extern const TEnumInfo FontStyleInfo;
extern const TIdentMap ColorIdents;  // clBlack 0, clRed 255, clBtnFace -2147483633

class TTestFont : public TPersistent {
  VCL_CLASS(TTestFont)
 public:
  AnsiString Name;
  int Size = 8;
  int Color = 0;
  TFontStyles Style;
  void Assign(TPersistent* Source) override;
};

class TTestItem : public TCollectionItem {
  VCL_CLASS(TTestItem)
 public:
  explicit TTestItem(TCollection* Collection) : TCollectionItem(Collection) {}
  AnsiString Text;
  int Tag = 0;
  TComponent* Target = nullptr;
  Closure<void(TTestItem*, TMessage&)> OnMessage;
  AnsiString GetDisplayName() const override { return Text.empty() ? TCollectionItem::GetDisplayName() : Text; }
  void Assign(TPersistent* Source) override;
};

class TTestItems : public TOwnedCollection {
  VCL_CLASS(TTestItems)
 public:
  explicit TTestItems(TPersistent* Owner) : TOwnedCollection(Owner, TTestItem::StaticClass()) {}
  TTestItem* Item(int Index) const { return static_cast<TTestItem*>(Items(Index)); }
};

// A component that nests (like a control with a parent) and publishes
// every kind of property.
class TTestControl : public TComponent {
  VCL_CLASS(TTestControl)
 public:
  explicit TTestControl(TComponent* AOwner);
  ~TTestControl() override;
  static inline int Instances = 0;  // alive now

  int Left() const { return FLeft; }
  void SetLeft(int Value) { FLeft = Value; }
  AnsiString Caption() const { return FCaption; }
  void SetCaption(AnsiString Value);
  TTestControl* Buddy() const { return FBuddy; }
  void SetBuddy(TTestControl* Value);
  TTestFont* Font() const { return FFont; }
  TTestItems* Items() const { return FItems; }
  TStringList* Lines() const { return FLines; }
  TTestControl* ParentControl() const { return FParent; }
  const std::vector<TTestControl*>& Controls() const { return FControls; }

  int Top = 0;
  bool Visible = true;
  TAlign Align = alNone;
  double Ratio = 0.0;
  char Letter = 'A';
  wchar_t Wide = L'W';
  long long Big = 0;
  AnsiString Short, WideText;
  Variant Data;
  int Options = 0;
  AnsiString Extra;  // a defined property
  AnsiString Blob;   // a defined binary property
  TNotifyEvent OnClick;
  TMessageEventHandler OnMessage;
  std::vector<TComponent*> Removed;  // components it was told of (opRemove)

  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override { return FParent; }
  void SetParentComponent(TComponent* Value) override;
  void GetChildren(std::vector<TComponent*>& Children, TComponent* Root) override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void DefineProperties(TFiler* Filer) override;

 private:
  int FLeft = 0;
  AnsiString FCaption;
  TTestControl* FBuddy = nullptr;
  TTestControl* FParent = nullptr;
  std::vector<TTestControl*> FControls;
  TTestFont* FFont;
  TTestItems* FItems;
  TStringList* FLines;
};

// A plain component with no parent.
class TTestLabel : public TComponent {
  VCL_CLASS(TTestLabel)
 public:
  explicit TTestLabel(TComponent* AOwner) : TComponent(AOwner) { ++Instances; }
  ~TTestLabel() override { --Instances; }
  static inline int Instances = 0;
  AnsiString Text;
  TComponent* Link = nullptr;
  void Loaded() override;
};

// A root like a form: published component fields and handler methods;
// writes its unparented components and its top-level controls.
class TTestForm : public TComponent {
  VCL_CLASS(TTestForm)
 public:
  explicit TTestForm(TComponent* AOwner) : TComponent(AOwner), FNotes(new TStringList) {}
  ~TTestForm() override { delete FNotes; }

  TStringList* Notes() const { return FNotes; }
  TTestControl* Panel1 = nullptr;
  TTestControl* Button1 = nullptr;
  TTestLabel* Label1 = nullptr;
  AnsiString Caption;
  std::vector<std::string> Calls;

  void ButtonClick(TObject* Sender);
  void OtherClick(TObject* Sender);
  void PanelMessage(TObject* Sender, TMessage& Message, bool& Handled);
  void ItemMessage(TTestItem* Sender, TMessage& Message);
  void Count(int N);  // a published method no event matches

  void GetChildren(std::vector<TComponent*>& Children, TComponent* Root) override;
  void Loaded() override;

 private:
  TStringList* FNotes;
};

// Registers the test classes (idempotent).
void RegisterTestClasses();

}  // namespace Test
