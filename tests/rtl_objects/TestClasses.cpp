#include "TestClasses.h"

#include <algorithm>

namespace Test {

std::vector<std::string> Log;

const TEnumInfo AlignInfo{{"alNone", "alTop", "alBottom", "alClient"}};
const TEnumInfo FontStyleInfo{{"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"}};
const TIdentMap ColorIdents{{{0, "clBlack"}, {255, "clRed"}, {-2147483633LL, "clBtnFace"}}};

namespace {
std::string StateText(TComponent* C) {
  std::string s;
  if (C->HasState(csLoading)) s += " loading";
  if (C->HasState(csReading)) s += " reading";
  return s;
}
}  // namespace

// ---------------------------------------------------------------------------

VCL_PUBLISH(TTestFont, TPersistent, Object) {
  P.Str("Name", &TTestFont::Name);
  P.Int("Size", &TTestFont::Size, 8);
  P.Int("Color", &TTestFont::Color, 0).WithIdents(ColorIdents);
  P.Set("Style", &TTestFont::Style, FontStyleInfo, TFontStyles());
}

void TTestFont::Assign(TPersistent* Source) {
  if (TTestFont* f = dyn_cast<TTestFont>(Source)) {
    Name = f->Name, Size = f->Size, Color = f->Color, Style = f->Style;
    return;
  }
  TPersistent::Assign(Source);
}

VCL_PUBLISH(TTestItem, TCollectionItem, Item) {
  P.Str("Text", &TTestItem::Text);
  P.Int("Tag", &TTestItem::Tag, 0);
  P.Object("Target", &TTestItem::Target);
  P.Event("OnMessage", &TTestItem::OnMessage);
}

void TTestItem::Assign(TPersistent* Source) {
  if (TTestItem* i = dyn_cast<TTestItem>(Source)) {
    Text = i->Text, Tag = i->Tag, Target = i->Target, OnMessage = i->OnMessage;
    return;
  }
  TCollectionItem::Assign(Source);
}

VCL_PUBLISH(TTestItems, TOwnedCollection, Object) {}

// ---------------------------------------------------------------------------

VCL_PUBLISH(TTestControl, TComponent, Component) {
  P.Int("Left", &TTestControl::Left, &TTestControl::SetLeft);  // no default: always written
  P.Int("Top", &TTestControl::Top, 0);
  P.Str("Caption", &TTestControl::Caption, &TTestControl::SetCaption);
  P.Bool("Visible", &TTestControl::Visible, true);
  P.Enum("Align", &TTestControl::Align, AlignInfo, alNone);
  P.Object("Font", &TTestControl::Font, nullptr);
  P.Float("Ratio", &TTestControl::Ratio);
  P.Char("Letter", &TTestControl::Letter, 'A');
  P.WChar("Wide", &TTestControl::Wide, L'W');
  P.Int64("Big", &TTestControl::Big, &TTestControl::Big, 0);
  P.Str("Short", &TTestControl::Short, tkString);
  P.Str("WideText", &TTestControl::WideText, tkWString);
  P.Var("Data", &TTestControl::Data);
  P.Set("Options", &TTestControl::Options, FontStyleInfo, 0);
  P.Object("Buddy", &TTestControl::Buddy, &TTestControl::SetBuddy);
  P.Object("Items", &TTestControl::Items, nullptr);
  P.Object("Lines", &TTestControl::Lines, nullptr);
  P.Event("OnClick", &TTestControl::OnClick);
  P.Event("OnMessage", &TTestControl::OnMessage);
  // Kinds nothing reads or writes by name.
  P.Add("Matrix", tkArray);
  P.Add("Record", tkRecord);
  P.Add("Intf", tkInterface);
  P.Add("Dyn", tkDynArray);
  P.Add("Mystery", tkUnknown);
}

TTestControl::TTestControl(TComponent* AOwner)
    : TComponent(AOwner), FFont(new TTestFont), FItems(new TTestItems(this)), FLines(new TStringList) {
  ++Instances;
}

TTestControl::~TTestControl() {
  --Instances;
  for (TTestControl* c : FControls) c->FParent = nullptr;
  SetParentComponent(nullptr);
  delete FLines;
  delete FItems;
  delete FFont;
}

void TTestControl::SetCaption(AnsiString Value) {
  FCaption = Value;
  Log.push_back("SetCaption " + Name() + StateText(this));
}

void TTestControl::SetBuddy(TTestControl* Value) {
  FBuddy = Value;
  if (Value) Value->FreeNotification(this);
}

void TTestControl::SetParentComponent(TComponent* Value) {
  if (FParent) FParent->FControls.erase(std::remove(FParent->FControls.begin(), FParent->FControls.end(), this),
                                         FParent->FControls.end());
  FParent = dyn_cast<TTestControl>(Value);
  if (FParent) FParent->FControls.push_back(this);
}

void TTestControl::GetChildren(std::vector<TComponent*>& Children, TComponent* Root) {
  for (TTestControl* c : FControls)
    if (c->Owner() == Root) Children.push_back(c);
}

void TTestControl::Loaded() {
  Log.push_back("Loaded " + Name() + StateText(this));
  TComponent::Loaded();
}

void TTestControl::Notification(TComponent* AComponent, TOperation Operation) {
  if (Operation == opRemove) {
    Removed.push_back(AComponent);
    if (AComponent == FBuddy) FBuddy = nullptr;
  }
  TComponent::Notification(AComponent, Operation);
}

void TTestControl::DefineProperties(TFiler* Filer) {
  TComponent::DefineProperties(Filer);
  Filer->DefineProperty(
      "Extra", [this](TReader* R) { Extra = R->ReadString(); }, [this](TWriter* W) { W->WriteString(Extra); },
      !Extra.empty());
  Filer->DefineBinaryProperty(
      "Blob",
      [this](TStream* S) {
        Blob.assign(static_cast<std::size_t>(S->Size()), '\0');
        S->ReadBuffer(Blob.data(), static_cast<int>(Blob.size()));
      },
      [this](TStream* S) { S->WriteBuffer(Blob.data(), static_cast<int>(Blob.size())); }, !Blob.empty());
}

// ---------------------------------------------------------------------------

VCL_PUBLISH(TTestLabel, TComponent, Component) {
  P.Str("Text", &TTestLabel::Text);
  P.Object("Link", &TTestLabel::Link);
}

void TTestLabel::Loaded() {
  Log.push_back("Loaded " + Name() + StateText(this));
  TComponent::Loaded();
}

// ---------------------------------------------------------------------------

VCL_PUBLISH(TTestForm, TComponent, Component) {
  P.Str("Caption", &TTestForm::Caption);
  P.Object("Notes", &TTestForm::Notes, nullptr);
  P.Field("Panel1", &TTestForm::Panel1);
  P.Field("Button1", &TTestForm::Button1);
  // A component field published as an object property also works.
  P.Object("Label1", &TTestForm::Label1);
  P.Method<&TTestForm::ButtonClick>("ButtonClick");
  P.Method<&TTestForm::OtherClick>("OtherClick");
  P.Method<&TTestForm::PanelMessage>("PanelMessage");
  P.Method<&TTestForm::ItemMessage>("ItemMessage");
  P.Method<&TTestForm::Count>("Count");
}

void TTestForm::ButtonClick(TObject* Sender) { Calls.push_back("ButtonClick"); }
void TTestForm::OtherClick(TObject* Sender) { Calls.push_back("OtherClick"); }
void TTestForm::PanelMessage(TObject* Sender, TMessage& Message, bool& Handled) {
  Calls.push_back("PanelMessage " + std::to_string(Message.Msg));
  Handled = true;
}
void TTestForm::ItemMessage(TTestItem* Sender, TMessage& Message) { Calls.push_back("ItemMessage " + Sender->Text); }
void TTestForm::Count(int N) { Calls.push_back("Count"); }

void TTestForm::GetChildren(std::vector<TComponent*>& Children, TComponent* Root) {
  for (int i = 0; i < ComponentCount(); ++i) {
    TComponent* c = Components(i);
    if (!c->GetParentComponent()) Children.push_back(c);
  }
}

void TTestForm::Loaded() {
  Log.push_back("Loaded " + Name() + StateText(this));
  TComponent::Loaded();
}

void RegisterTestClasses() {
  RegisterClass(TTestControl::StaticClass());
  RegisterClass(TTestLabel::StaticClass());
  RegisterClass(TTestForm::StaticClass());
}

}  // namespace Test
