// The object model: TObject, TPersistent and TComponent, and the event
// types shared by every layer.
#pragma once

#include <vector>

#include "Messages.h"
#include "TypInfo.h"

namespace Vcl {

class TFiler;

// Root of every class with run-time type information.
class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;

  static TClass StaticClass();
  virtual TClass ClassType() const { return StaticClass(); }
  TClass ClassInfo() const { return ClassType(); }
  AnsiString ClassName() const { return ClassType()->Name; }
  bool InheritsFrom(TClass Class) const { return ClassType()->InheritsFrom(Class); }
  // The invoker of the published method of that name, or null.
  void* MethodAddress(const AnsiString& Name) const;
  // The published name of a method's invoker, or empty.
  AnsiString MethodName(const void* Code) const { return ClassType()->MethodName(Code); }

  // Runs BeforeDestruction while the object is still whole (its overrides
  // are called), then deletes it. Prefer it to delete for components: an
  // owner then tells and destroys its components before its own destructor
  // runs.
  void Free();
  virtual void BeforeDestruction() {}
};

// Free for a pointer that may be null; the pointer is cleared first.
template <class T>
void FreeAndNil(T*& Obj) {
  T* o = Obj;
  Obj = nullptr;
  if (o) o->Free();
}

// Checked downcast along the class references: null when Obj is null or
// not of class T.
template <class T>
T* dyn_cast(TObject* Obj) {
  return Obj && Obj->InheritsFrom(T::StaticClass()) ? static_cast<T*>(Obj) : nullptr;
}

// Events shared by every layer.
using TNotifyEvent = Closure<void(TObject* Sender)>;
using TMessageEventHandler = Closure<void(TObject* Sender, TMessage& Message, bool& Handled)>;
// Receives one string, as property names are handed out.
using TGetStrProc = Closure<void(const AnsiString S)>;

// Shift keys and mouse buttons held during an input event.
enum TShiftStateFlag { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = Set<TShiftStateFlag, ssShift, ssDouble>;
extern const TEnumInfo ShiftStateInfo;

class TPersistent : public TObject {
  VCL_CLASS(TPersistent)
 public:
  // Copies Source into this object; raises EConvertError when the two
  // classes do not know each other.
  virtual void Assign(TPersistent* Source);
  // The object that owns this one in the naming path (null by default).
  virtual TPersistent* GetOwner() { return nullptr; }
  // Properties kept in form resources beside the published ones.
  virtual void DefineProperties(TFiler* Filer) {}

 protected:
  virtual void AssignTo(TPersistent* Dest);
};

enum TOperation { opInsert, opRemove };

// Bits of TComponent::ComponentState.
enum : unsigned {
  csLoading = 1u << 0,
  csReading = 1u << 1,
  csWriting = 1u << 2,
  csDestroying = 1u << 3,
  csDesigning = 1u << 4,
  csAncestor = 1u << 5,
  csUpdating = 1u << 6,
  csFixups = 1u << 7,
  csFreeNotification = 1u << 8,
};
using TComponentState = unsigned;

class TComponent : public TPersistent {
  VCL_CLASS(TComponent)
 public:
  explicit TComponent(TComponent* AOwner);
  ~TComponent() override;
  // Tells, destroys what it owns and leaves its owner (see Free).
  void BeforeDestruction() override;

  TComponent* Owner() const { return FOwner; }
  int ComponentCount() const { return static_cast<int>(FComponents.size()); }
  // Raises EListError outside 0..ComponentCount()-1.
  TComponent* Components(int Index) const;
  // Position in the owner's list, or -1.
  int ComponentIndex() const;

  const AnsiString& Name() const { return FName; }
  // Validated (an identifier or empty) and unique in the owner, ignoring
  // ASCII case; raises EComponentError otherwise. The owner's published
  // field of the old name is cleared and the one of the new name set.
  virtual void SetName(const AnsiString& NewName);
  AnsiString GetName() const { return FName; }
  int Tag() const { return FTag; }
  void SetTag(int Value) { FTag = Value; }

  TComponentState ComponentState() const { return FComponentState; }
  bool HasState(TComponentState S) const { return (FComponentState & S) != 0; }
  // The reader and tests: set or clear state bits.
  void SetComponentState(TComponentState S, bool On);
  void SetDesigning(bool Value, bool SetChildren = true);

  // The owned component of that name, ASCII case ignored, or null.
  TComponent* FindComponent(const AnsiString& AName) const;
  // Takes AComponent over from its former owner; tells every owned
  // component (opInsert). Raises EComponentError for a name already taken.
  void InsertComponent(TComponent* AComponent);
  // Tells every owned component (opRemove), then lets AComponent go; it is
  // not destroyed.
  void RemoveComponent(TComponent* AComponent);
  // Destroys the owned components, last inserted first.
  void DestroyComponents();

  // Asks for Notification(opRemove) when AComponent is destroyed; between
  // components of different owners (or without one) this works both ways.
  void FreeNotification(TComponent* AComponent);
  void RemoveFreeNotification(TComponent* AComponent);

  // Called once after the component and its siblings were read from a
  // form resource; clears csLoading.
  virtual void Loaded();
  // Told of every insertion into and removal from the owner, and of the
  // destruction of components that asked for free notification. The base
  // passes it on to every owned component.
  virtual void Notification(TComponent* AComponent, TOperation Operation);

  // Nesting in form resources: the parent a child is read into and the
  // children written inside this component.
  virtual bool HasParent() const { return false; }
  virtual TComponent* GetParentComponent() const { return nullptr; }
  virtual void SetParentComponent(TComponent* Value) {}
  virtual void GetChildren(std::vector<TComponent*>& Children, TComponent* Root);
  // The owner under which the children read inside this component go
  // (null: the root).
  virtual TComponent* GetChildOwner() { return nullptr; }
  virtual TComponent* GetChildParent() { return this; }

  TPersistent* GetOwner() override { return FOwner; }

 protected:
  // Sets csDestroying on this component and everything it owns.
  void Destroying();
  virtual void ValidateRename(TComponent* AComponent, const AnsiString& CurName, const AnsiString& NewName);

 private:
  void DestroySteps();
  void Insert(TComponent* AComponent);
  void Remove(TComponent* AComponent);
  void RemoveNotification(TComponent* AComponent);
  // Stores this component in (or clears from) its owner's published field
  // of its name.
  void SetReference(bool Enable);

  TComponent* FOwner = nullptr;
  AnsiString FName;
  int FTag = 0;
  std::vector<TComponent*> FComponents;
  std::vector<TComponent*> FFreeNotifies;
  TComponentState FComponentState = 0;
  bool FDestroySteps = false;
};

using TComponentClass = TClass;

// True for a name the platform accepts for a component: a letter or "_",
// then letters, digits or "_".
bool IsValidIdent(const AnsiString& Ident);

// Creates a component of class Class through its virtual constructor;
// raises EComponentError for a class that cannot be created that way.
TComponent* CreateComponentOf(TClass Class, TComponent* Owner);

}  // namespace Vcl
