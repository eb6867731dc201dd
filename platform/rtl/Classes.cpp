#include "Classes.h"

#include <algorithm>

namespace Vcl {

TClass TObject::StaticClass() {
  static const TMetaClass meta = [] {
    TMetaClass m;
    m.Name = "TObject";
    return m;
  }();
  return &meta;
}

void* TObject::MethodAddress(const AnsiString& Name) const {
  const TMethodEntry* m = ClassType()->FindMethod(Name);
  return m ? m->Code : nullptr;
}

void TObject::Free() {
  BeforeDestruction();
  delete this;
}

const TEnumInfo ShiftStateInfo{{"ssShift", "ssAlt", "ssCtrl", "ssLeft", "ssRight", "ssMiddle", "ssDouble"}};

// ---------------------------------------------------------------------------

VCL_PUBLISH(TPersistent, TObject, Object) {}

void TPersistent::Assign(TPersistent* Source) {
  if (!Source) throw EConvertError(FormatMsg("nil を %s に代入できません.", ClassName()));
  Source->AssignTo(this);
}

void TPersistent::AssignTo(TPersistent* Dest) {
  AnsiString dst = Dest ? Dest->ClassName() : AnsiString("nil");
  throw EConvertError(ClassName() + " を " + dst + " に代入できません.");
}

// ---------------------------------------------------------------------------

bool IsValidIdent(const AnsiString& Ident) {
  if (Ident.empty()) return false;
  auto alpha = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
  if (!alpha(Ident[0])) return false;
  for (char c : Ident)
    if (!alpha(c) && !(c >= '0' && c <= '9')) return false;
  return true;
}

TComponent* CreateComponentOf(TClass Class, TComponent* Owner) {
  if (!Class) throw EComponentError("クラスが指定されていません.");
  if (!Class->InheritsFrom(TComponent::StaticClass()))
    throw EComponentError(FormatMsg("クラス %s はコンポーネントではありません.", Class->Name));
  if (!Class->Create) throw EComponentError(FormatMsg("クラス %s のインスタンスは作成できません.", Class->Name));
  return Class->Create(Owner);
}

VCL_PUBLISH(TComponent, TPersistent, Component) {
  // The name is written in the object's header, never as a property.
  P.Str("Name", &TComponent::GetName, &TComponent::SetName, tkString).NotStored();
  P.Int("Tag", &TComponent::Tag, &TComponent::SetTag, 0);
}

TComponent::TComponent(TComponent* AOwner) {
  if (AOwner) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
  // Deleted without Free: the same steps, now that the derived parts are gone.
  DestroySteps();
}

void TComponent::BeforeDestruction() { DestroySteps(); }

void TComponent::DestroySteps() {
  if (FDestroySteps) return;
  FDestroySteps = true;
  Destroying();
  // Everyone that asked is told before anything is taken apart.
  while (!FFreeNotifies.empty()) {
    TComponent* other = FFreeNotifies.back();
    FFreeNotifies.pop_back();
    other->Notification(this, opRemove);
    // The other side forgets this one too, whatever its override did.
    other->RemoveNotification(this);
  }
  DestroyComponents();
  if (FOwner) FOwner->RemoveComponent(this);
}

TComponent* TComponent::Components(int Index) const {
  if (Index < 0 || Index >= ComponentCount())
    throw EListError(FormatMsg("リストのインデックスが範囲を超えています (%s).", IntToStr(Index)));
  return FComponents[Index];
}

int TComponent::ComponentIndex() const {
  if (!FOwner) return -1;
  auto& v = FOwner->FComponents;
  auto it = std::find(v.begin(), v.end(), this);
  return it == v.end() ? -1 : static_cast<int>(it - v.begin());
}

void TComponent::SetComponentState(TComponentState S, bool On) {
  FComponentState = On ? (FComponentState | S) : (FComponentState & ~S);
}

void TComponent::SetDesigning(bool Value, bool SetChildren) {
  SetComponentState(csDesigning, Value);
  if (SetChildren)
    for (TComponent* c : FComponents) c->SetDesigning(Value, true);
}

void TComponent::SetName(const AnsiString& NewName) {
  if (FName == NewName) return;
  if (!NewName.empty() && !IsValidIdent(NewName))
    throw EComponentError(FormatMsg("'%s' はコンポーネント名として正しくありません.", NewName));
  if (FOwner)
    FOwner->ValidateRename(this, FName, NewName);
  else
    ValidateRename(nullptr, FName, NewName);
  SetReference(false);
  FName = NewName;
  SetReference(true);
}

void TComponent::ValidateRename(TComponent* AComponent, const AnsiString& CurName, const AnsiString& NewName) {
  if (!AComponent || NewName.empty() || SameText(CurName, NewName)) return;
  TComponent* found = FindComponent(NewName);
  if (found && found != AComponent)
    throw EComponentError(FormatMsg("コンポーネント名 %s は既に存在します.", NewName));
}

void TComponent::SetReference(bool Enable) {
  if (!FOwner || FName.empty()) return;
  TClass owner = FOwner->ClassType();
  // Clearing compares addresses only: a component deleted without Free
  // no longer knows its own class here.
  if (const TFieldInfo* f = owner->FindField(FName)) {
    if (Enable ? InheritsFrom(f->FieldClass()) : f->Get(FOwner) == this) f->Set(FOwner, Enable ? this : nullptr);
    return;
  }
  // An object property named like the component stands for its field, so
  // classes may publish component fields either way.
  const TPropInfo* p = owner->FindProp(FName);
  if (p && p->Kind == tkClass && p->SetObj && p->GetObj && p->PropClass &&
      (Enable ? InheritsFrom(p->PropClass()) : p->GetObj(FOwner) == this))
    p->SetObj(FOwner, Enable ? this : nullptr);
}

TComponent* TComponent::FindComponent(const AnsiString& AName) const {
  if (AName.empty()) return nullptr;
  for (TComponent* c : FComponents)
    if (SameText(c->FName, AName)) return c;
  return nullptr;
}

void TComponent::InsertComponent(TComponent* AComponent) {
  if (!AComponent || AComponent->FOwner == this) return;
  ValidateRename(AComponent, AnsiString(), AComponent->FName);
  if (AComponent->FOwner) AComponent->FOwner->RemoveComponent(AComponent);
  Insert(AComponent);
  AComponent->SetReference(true);
  if (HasState(csDesigning)) AComponent->SetDesigning(true);
  Notification(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
  if (!AComponent || AComponent->FOwner != this) return;
  Notification(AComponent, opRemove);
  AComponent->SetReference(false);
  Remove(AComponent);
}

void TComponent::Insert(TComponent* AComponent) {
  FComponents.push_back(AComponent);
  AComponent->FOwner = this;
}

void TComponent::Remove(TComponent* AComponent) {
  FComponents.erase(std::remove(FComponents.begin(), FComponents.end(), AComponent), FComponents.end());
  AComponent->FOwner = nullptr;
}

void TComponent::DestroyComponents() {
  // Last inserted, first destroyed; each leaves (and tells) first.
  while (!FComponents.empty()) {
    TComponent* c = FComponents.back();
    RemoveComponent(c);
    c->Free();
  }
}

void TComponent::Destroying() {
  if (HasState(csDestroying)) return;
  FComponentState |= csDestroying;
  for (TComponent* c : FComponents) c->Destroying();
}

void TComponent::FreeNotification(TComponent* AComponent) {
  if (!AComponent || AComponent == this) return;
  if (!FOwner || AComponent->FOwner != FOwner) {
    if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent) == FFreeNotifies.end()) {
      FFreeNotifies.push_back(AComponent);
      AComponent->FreeNotification(this);
    }
  }
  FComponentState |= csFreeNotification;
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
  RemoveNotification(AComponent);
  if (AComponent) AComponent->RemoveNotification(this);
}

void TComponent::RemoveNotification(TComponent* AComponent) {
  FFreeNotifies.erase(std::remove(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent), FFreeNotifies.end());
}

void TComponent::Loaded() { FComponentState &= ~csLoading; }

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
  if (Operation == opRemove && AComponent) RemoveFreeNotification(AComponent);
  // Pass it on to everything owned, last first; a copy, since receivers
  // may change the list.
  std::vector<TComponent*> owned = FComponents;
  for (auto it = owned.rbegin(); it != owned.rend(); ++it)
    if (std::find(FComponents.begin(), FComponents.end(), *it) != FComponents.end())
      (*it)->Notification(AComponent, Operation);
}

void TComponent::GetChildren(std::vector<TComponent*>& Children, TComponent* Root) {}

}  // namespace Vcl
