// TReader: builds components from the parsed form text.
#include <climits>

#include "Collections.h"
#include "Filer.h"
#include "FormText.h"
#include "Streams.h"

namespace Vcl {

using Form::TValue;

namespace {

// A read error that already names its line.
class ELocatedReadError : public EReadError {
 public:
  using EReadError::EReadError;
};

[[noreturn]] void Fail(int Line, const AnsiString& Msg) { throw ELocatedReadError(Form::AtLine(Line, Msg)); }

// Runs F; an exception of the platform's family gains the line and Context.
template <class F>
void Guard(int Line, const AnsiString& Context, F&& Body) {
  try {
    Body();
  } catch (const ELocatedReadError&) {
    throw;
  } catch (const Exception& e) {
    Fail(Line, Context + e.Message());
  }
}

TFindGlobalComponent GFindGlobal = nullptr;

std::vector<AnsiString> SplitDots(const AnsiString& S) {
  std::vector<AnsiString> parts;
  std::size_t b = 0;
  for (;;) {
    std::size_t e = S.find('.', b);
    parts.push_back(S.substr(b, e == AnsiString::npos ? AnsiString::npos : e - b));
    if (e == AnsiString::npos) return parts;
    b = e + 1;
  }
}

}  // namespace

void SetFindGlobalComponent(TFindGlobalComponent Find) { GFindGlobal = Find; }

VCL_PUBLISH(TFiler, TObject, Object) {}
VCL_PUBLISH(TReader, TFiler, Object) {}

struct TReader::TState {
  TReader& R;
  AnsiString Text;

  // Values of the defined property being read.
  struct TCursor {
    const TValue* Pos;
    const TValue* End;
    int Line;
  };
  std::vector<TCursor> Cursors;
  std::size_t BaseDepth = 0;

  // The defined property DefineProperties is asked for.
  const AnsiString* Wanted = nullptr;
  const Form::TProp* WantedProp = nullptr;
  AnsiString WantedWhere;
  bool Found = false;

  struct TFixup {
    TObject* Instance;
    const TPropInfo* Prop;
    AnsiString Value;
    int Line;
    AnsiString Where;
  };
  std::vector<TFixup> Fixups;
  std::vector<TComponent*> Created;  // creation order, for clean-up
  std::vector<TComponent*> Order;    // read order, for Loaded

  explicit TState(TReader& Reader) : R(Reader) {}

  static AnsiString NameOf(TComponent* C) { return C->Name().empty() ? C->ClassName() : C->Name(); }

  // --- classes and components ---------------------------------------
  // The classes of the root's published fields come first, then the registry.
  TClass FindComponentClass(const AnsiString& Name) const {
    for (TClass c = R.FRoot->ClassType(); c; c = c->Parent) {
      for (const TFieldInfo& f : c->Fields)
        if (SameText(f.FieldClass()->Name, Name)) return f.FieldClass();
      for (const TPropInfo& p : c->Props)
        if (p.Kind == tkClass && p.PropClass && SameText(p.PropClass()->Name, Name)) return p.PropClass();
    }
    return GetClass(Name);
  }

  TClass RequireComponentClass(const AnsiString& Name, int Line) const {
    TClass cls = FindComponentClass(Name);
    if (!cls) Fail(Line, "クラス " + Name + " が見つかりません.");
    if (!cls->Create || !cls->InheritsFrom(TComponent::StaticClass()))
      Fail(Line, "クラス " + Name + " のコンポーネントは作成できません.");
    return cls;
  }

  void ReadChildren(TComponent* Instance, const std::vector<Form::TObjectNode>& Nodes) {
    if (Nodes.empty()) return;
    TComponent* owner = Instance->GetChildOwner();
    if (!owner) owner = R.FRoot;
    TComponent* parent = Instance->GetChildParent();
    TComponent* oldOwner = R.FOwner;
    TComponent* oldParent = R.FParent;
    R.FOwner = owner, R.FParent = parent;
    for (const Form::TObjectNode& n : Nodes) ReadComponent(n, owner, parent);
    R.FOwner = oldOwner, R.FParent = oldParent;
  }

  void ReadComponent(const Form::TObjectNode& Node, TComponent* Owner, TComponent* Parent) {
    TClass cls = RequireComponentClass(Node.ClassName, Node.Line);
    TComponent* c = nullptr;
    Guard(Node.Line, Node.ClassName + " を作成できません: ", [&] { c = cls->Create(Owner); });
    Created.push_back(c);
    c->SetComponentState(csLoading | csReading, true);
    Order.push_back(c);
    Guard(Node.Line, "", [&] { c->SetName(Node.Name); });
    Guard(Node.Line, "", [&] { c->SetParentComponent(Parent); });
    ReadProps(c, Node.Props, NameOf(c));
    ReadChildren(c, Node.Children);
    c->SetComponentState(csReading, false);
  }

  // The root takes the name in the text, made unique among its owner's
  // components as for a second instance of the same form.
  void NameRoot(const Form::TObjectNode& Node) {
    TComponent* root = R.FRoot;
    if (Node.Name.empty() || SameText(root->Name(), Node.Name)) return;
    AnsiString name = Node.Name;
    if (TComponent* owner = root->Owner())
      for (int i = 1; owner->FindComponent(name) && owner->FindComponent(name) != root; ++i)
        name = Node.Name + "_" + IntToStr(i);
    Guard(Node.Line, "", [&] { root->SetName(name); });
  }

  // --- properties -----------------------------------------------------
  void ReadProps(TPersistent* Instance, const std::vector<Form::TProp>& Props, const AnsiString& Where) {
    for (const Form::TProp& p : Props) ReadProperty(Instance, p, Where);
  }

  void ReadProperty(TPersistent* Instance, const Form::TProp& Prop, const AnsiString& Where) {
    std::vector<AnsiString> parts = SplitDots(Prop.Name);
    TObject* obj = Instance;
    AnsiString path;
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
      path += (i ? "." : "") + parts[i];
      const TPropInfo* p = GetPropInfo(obj, parts[i]);
      if (!p) Fail(Prop.Line, Where + " のプロパティ " + path + " が存在しません.");
      if (p->Kind != tkClass) Fail(Prop.Line, Where + " のプロパティ " + path + " はオブジェクトではありません.");
      TObject* next = nullptr;
      Guard(Prop.Line, Where + "." + path + ": ", [&] { next = GetObjectProp(obj, p); });
      if (!dyn_cast<TPersistent>(next)) Fail(Prop.Line, Where + " のプロパティ " + path + " にオブジェクトがありません.");
      obj = next;
    }
    const AnsiString& last = parts.back();
    if (const TPropInfo* p = GetPropInfo(obj, last)) return SetValue(obj, p, Prop, Where);
    if (!ReadDefined(static_cast<TPersistent*>(obj), last, Prop, Where))
      Fail(Prop.Line, Where + " のプロパティ " + Prop.Name + " が存在しません.");
  }

  bool ReadDefined(TPersistent* Instance, const AnsiString& Name, const Form::TProp& Prop, const AnsiString& Where) {
    const AnsiString* oldWanted = Wanted;
    const Form::TProp* oldProp = WantedProp;
    AnsiString oldWhere = WantedWhere;
    bool oldFound = Found;
    Wanted = &Name, WantedProp = &Prop, WantedWhere = Where, Found = false;
    bool found = false;
    try {
      Instance->DefineProperties(&R);
      found = Found;
    } catch (...) {
      Wanted = oldWanted, WantedProp = oldProp, WantedWhere = oldWhere, Found = oldFound;
      throw;
    }
    Wanted = oldWanted, WantedProp = oldProp, WantedWhere = oldWhere, Found = oldFound;
    return found;
  }

  // Runs the reader of a defined property over its one value.
  template <class F>
  void ReadDefinedValue(F&& Body) {
    const Form::TProp& prop = *WantedProp;
    AnsiString where = WantedWhere;
    Found = true;
    std::size_t oldBase = BaseDepth;
    Cursors.push_back({&prop.Value, &prop.Value + 1, prop.Line});
    BaseDepth = Cursors.size();
    try {
      Guard(prop.Line, where + " のプロパティ " + prop.Name + ": ", Body);
      if (Cursors.size() != BaseDepth || Cursors.back().Pos != Cursors.back().End)
        Fail(prop.Line, where + " のプロパティ " + prop.Name + " の値が最後まで読まれていません.");
    } catch (...) {
      Cursors.resize(BaseDepth - 1);
      BaseDepth = oldBase;
      throw;
    }
    Cursors.pop_back();
    BaseDepth = oldBase;
  }

  [[noreturn]] static void Bad(const Form::TProp& P, const AnsiString& Where, const TValue& V) {
    Fail(P.Line, Where + " のプロパティ " + P.Name + " に値 " + Form::Describe(V) + " は設定できません.");
  }

  static bool IsIdent(const TValue& V, const char* Name) { return V.Kind == TValue::vkIdent && SameText(V.Str, Name); }

  void SetValue(TObject* Obj, const TPropInfo* P, const Form::TProp& Prop, const AnsiString& Where) {
    const TValue& v = Prop.Value;
    AnsiString ctx = Where + "." + Prop.Name + ": ";
    auto ord = [&](long long x) { Guard(Prop.Line, ctx, [&] { SetInt64Prop(Obj, P, x); }); };
    switch (P->Kind) {
      case tkInteger: {
        long long x = 0;
        if (v.Kind == TValue::vkInteger && v.Int >= INT_MIN && v.Int <= 0xFFFFFFFFLL)
          x = v.Int;
        else if (!(v.Kind == TValue::vkIdent && P->Idents && P->Idents->IdentToInt(v.Str, x)))
          Bad(Prop, Where, v);
        return ord(x);
      }
      case tkInt64:
        if (v.Kind != TValue::vkInteger) Bad(Prop, Where, v);
        return ord(v.Int);
      case tkChar:
      case tkWChar: {
        long long limit = P->Kind == tkChar ? 255 : 65535;
        if (v.Kind == TValue::vkString && v.Str.size() == 1) return ord(static_cast<unsigned char>(v.Str[0]));
        if (v.Kind == TValue::vkInteger && v.Int >= 0 && v.Int <= limit) return ord(v.Int);
        Bad(Prop, Where, v);
      }
      case tkEnumeration: {
        int n = P->Enum ? static_cast<int>(P->Enum->Names.size()) : 0;
        int x = v.Kind == TValue::vkIdent && P->Enum ? P->Enum->ValueOf(v.Str) : -1;
        if (v.Kind == TValue::vkInteger && v.Int >= 0 && v.Int < n) x = static_cast<int>(v.Int);
        if (x < 0) Bad(Prop, Where, v);
        return ord(x);
      }
      case tkSet: {
        if (v.Kind != TValue::vkSet || !P->Enum) Bad(Prop, Where, v);
        unsigned long long bits = 0;
        for (const AnsiString& e : v.Set) {
          int x = P->Enum->ValueOf(e);
          if (x < 0 || x >= 64) Fail(Prop.Line, Where + " のプロパティ " + Prop.Name + " に要素 " + e + " はありません.");
          bits |= 1ull << x;
        }
        return ord(static_cast<long long>(bits));
      }
      case tkFloat: {
        if (v.Kind != TValue::vkFloat && v.Kind != TValue::vkInteger) Bad(Prop, Where, v);
        double d = v.Kind == TValue::vkFloat ? v.Float : static_cast<double>(v.Int);
        return Guard(Prop.Line, ctx, [&] { SetFloatProp(Obj, P, d); });
      }
      case tkString:
      case tkLString:
      case tkWString:
        if (v.Kind != TValue::vkString) Bad(Prop, Where, v);
        return Guard(Prop.Line, ctx, [&] { SetStrProp(Obj, P, v.Str); });
      case tkVariant: {
        Variant x = ToVariant(v);
        if (x.IsEmpty()) Bad(Prop, Where, v);
        return Guard(Prop.Line, ctx, [&] { SetVariantProp(Obj, P, x); });
      }
      case tkMethod:
        if (v.Kind != TValue::vkIdent) Bad(Prop, Where, v);
        if (P->IsReadOnly()) Fail(Prop.Line, Where + " のプロパティ " + Prop.Name + " は読み取り専用です.");
        if (SameText(v.Str, "nil")) return Guard(Prop.Line, ctx, [&] { SetMethodProp(Obj, P, TMethod()); });
        Fixups.push_back({Obj, P, v.Str, Prop.Line, Where + "." + Prop.Name});
        return;
      case tkClass:
        if (v.Kind == TValue::vkCollection) {
          TCollection* col = nullptr;
          Guard(Prop.Line, ctx, [&] { col = dyn_cast<TCollection>(GetObjectProp(Obj, P)); });
          if (!col) Bad(Prop, Where, v);
          return ReadCollectionValue(col, v, Where + "." + Prop.Name);
        }
        if (v.Kind != TValue::vkIdent) Bad(Prop, Where, v);
        if (P->IsReadOnly()) Fail(Prop.Line, Where + " のプロパティ " + Prop.Name + " は読み取り専用です.");
        if (SameText(v.Str, "nil")) return Guard(Prop.Line, ctx, [&] { SetObjectProp(Obj, P, nullptr); });
        Fixups.push_back({Obj, P, v.Str, Prop.Line, Where + "." + Prop.Name});
        return;
      default:
        Fail(Prop.Line, Where + " のプロパティ " + Prop.Name + " の型は読み込めません.");
    }
  }

  static Variant ToVariant(const TValue& V) {
    switch (V.Kind) {
      case TValue::vkInteger:
        if (V.Int >= INT_MIN && V.Int <= INT_MAX) return Variant(static_cast<int>(V.Int));
        return Variant(V.Int);
      case TValue::vkFloat: return Variant(V.Float);
      case TValue::vkString: return Variant(V.Str);
      case TValue::vkIdent:
        if (SameText(V.Str, "True")) return Variant(true);
        if (SameText(V.Str, "False")) return Variant(false);
        break;
      default: break;
    }
    return Variant();
  }

  void ReadCollectionValue(TCollection* Col, const TValue& V, const AnsiString& Where) {
    // Pending references into items about to go would dangle.
    for (std::size_t i = 0; i < Fixups.size();) {
      TCollectionItem* item = dyn_cast<TCollectionItem>(Fixups[i].Instance);
      if (item && item->Collection() == Col)
        Fixups.erase(Fixups.begin() + static_cast<std::ptrdiff_t>(i));
      else
        ++i;
    }
    Col->BeginUpdate();
    try {
      Guard(V.Line, Where + ": ", [&] { Col->Clear(); });
      for (std::size_t i = 0; i < V.Items.size(); ++i) {
        TCollectionItem* item = nullptr;
        Guard(V.Items[i].Line, Where + ": ", [&] { item = Col->Add(); });
        ReadProps(item, V.Items[i].Props, Where + "[" + IntToStr(static_cast<long long>(i)) + "]");
      }
    } catch (...) {
      Col->EndUpdate();
      throw;
    }
    Col->EndUpdate();
  }

  // --- references and events, once everything is read ------------------
  TComponent* FindReference(const AnsiString& Name) const {
    TComponent* root = R.FRoot;
    std::vector<AnsiString> parts = SplitDots(Name);
    if (parts.size() == 1) {
      if (TComponent* c = root->FindComponent(Name)) return c;
      if (SameText(Name, "Owner") || SameText(Name, root->Name())) return root;
      return nullptr;
    }
    if (parts.size() != 2) return nullptr;
    TComponent* base = nullptr;
    if (SameText(parts[0], "Owner") || SameText(parts[0], root->Name()))
      base = root;
    else if (GFindGlobal)
      base = GFindGlobal(parts[0]);
    if (!base) return nullptr;
    // "Form2.Owner" is the other root itself.
    TComponent* c = base->FindComponent(parts[1]);
    return c || !SameText(parts[1], "Owner") ? c : base;
  }

  void ResolveFixups() {
    TComponent* root = R.FRoot;
    for (const TFixup& f : Fixups) {
      AnsiString ctx = f.Where + ": ";
      if (f.Prop->Kind == tkMethod) {
        const TMethodEntry* m = root->ClassType()->FindMethod(f.Value);
        if (!m) Fail(f.Line, "メソッド " + f.Value + " が " + root->ClassName() + " にありません (" + f.Where + ").");
        if (m->Signature != f.Prop->Signature)
          Fail(f.Line, "メソッド " + f.Value + " の型がイベント " + f.Where + " の型と一致しません.");
        TMethod method{m->Code, static_cast<void*>(static_cast<TObject*>(root))};
        Guard(f.Line, ctx, [&] { SetMethodProp(f.Instance, f.Prop, method); });
      } else {
        TComponent* c = FindReference(f.Value);
        if (!c) Fail(f.Line, "コンポーネント " + f.Value + " が見つかりません (" + f.Where + ").");
        if (f.Prop->PropClass && !c->InheritsFrom(f.Prop->PropClass()))
          Fail(f.Line, "コンポーネント " + f.Value + " (" + c->ClassName() + ") は " + f.Where + " に設定できません.");
        Guard(f.Line, ctx, [&] { SetObjectProp(f.Instance, f.Prop, c); });
      }
    }
    Fixups.clear();
  }

  // --- the value cursor -------------------------------------------------
  TCursor& Top() {
    // Values are read only inside the reader of a defined property.
    if (BaseDepth == 0 || Cursors.size() < BaseDepth) throw EReadError("読み込む値がありません.");
    return Cursors.back();
  }
  const TValue& Peek() {
    TCursor& c = Top();
    if (c.Pos == c.End) throw EReadError("値が必要ですがリストの終わりです.");
    return *c.Pos;
  }
  const TValue& Take() {
    const TValue& v = Peek();
    ++Top().Pos;
    return v;
  }
  // Raised inside the reader of a defined property, which adds the line
  // and the property.
  [[noreturn]] static void Expected(const TValue& V, const AnsiString& What) {
    throw EReadError(Form::ExpectedMessage(What, Form::Describe(V)));
  }
};

TReader::TReader(const AnsiString& Text) : FState(std::make_unique<TState>(*this)) { FState->Text = Text; }

TReader::~TReader() = default;

void TReader::ReadRootComponent(TComponent* Root) {
  if (!Root) throw EReadError("読み込み先のコンポーネントがありません.");
  TState& s = *FState;
  Form::TObjectNode tree = Form::Parse(s.Text);
  FRoot = Root;
  FOwner = Root;
  FParent = Root;
  Root->SetComponentState(csLoading | csReading, true);
  s.Order.assign(1, Root);
  try {
    s.NameRoot(tree);
    s.ReadProps(Root, tree.Props, TState::NameOf(Root));
    s.ReadChildren(Root, tree.Children);
    s.ResolveFixups();
  } catch (...) {
    s.Fixups.clear();
    for (auto it = s.Created.rbegin(); it != s.Created.rend(); ++it) (*it)->Free();
    s.Created.clear();
    s.Order.clear();
    Root->SetComponentState(csLoading | csReading, false);
    throw;
  }
  Root->SetComponentState(csReading, false);
  std::vector<TComponent*> order;
  order.swap(s.Order);
  s.Created.clear();
  for (TComponent* c : order) c->Loaded();
}

TValueType TReader::NextValue() const {
  TState::TCursor& c = FState->Top();
  if (c.Pos == c.End) return vaNull;
  const TValue& v = *c.Pos;
  switch (v.Kind) {
    case TValue::vkInteger: return v.Int >= INT_MIN && v.Int <= INT_MAX ? vaInt32 : vaInt64;
    case TValue::vkFloat: return vaExtended;
    case TValue::vkString: return vaString;
    case TValue::vkIdent:
      if (SameText(v.Str, "True")) return vaTrue;
      if (SameText(v.Str, "False")) return vaFalse;
      if (SameText(v.Str, "nil")) return vaNil;
      return vaIdent;
    case TValue::vkSet: return vaSet;
    case TValue::vkList: return vaList;
    case TValue::vkCollection: return vaCollection;
    case TValue::vkBinary: return vaBinary;
  }
  return vaNull;
}

bool TReader::EndOfList() const {
  TState::TCursor& c = FState->Top();
  return c.Pos == c.End;
}

void TReader::ReadListBegin() {
  const TValue& v = FState->Take();
  if (v.Kind != TValue::vkList) TState::Expected(v, "リスト");
  FState->Cursors.push_back({v.List.data(), v.List.data() + v.List.size(), v.Line});
}

void TReader::ReadListEnd() {
  TState& s = *FState;
  TState::TCursor& c = s.Top();
  if (c.Pos != c.End) TState::Expected(*c.Pos, "リストの終わり");
  if (s.Cursors.size() <= s.BaseDepth) throw EReadError("リストの始まりがありません.");
  s.Cursors.pop_back();
}

AnsiString TReader::ReadString() {
  const TValue& v = FState->Take();
  if (v.Kind != TValue::vkString) TState::Expected(v, "文字列");
  return v.Str;
}

int TReader::ReadInteger() {
  const TValue& v = FState->Take();
  if (v.Kind != TValue::vkInteger || v.Int < INT_MIN || v.Int > INT_MAX) TState::Expected(v, "整数");
  return static_cast<int>(v.Int);
}

long long TReader::ReadInt64() {
  const TValue& v = FState->Take();
  if (v.Kind != TValue::vkInteger) TState::Expected(v, "整数");
  return v.Int;
}

bool TReader::ReadBoolean() {
  const TValue& v = FState->Take();
  if (TState::IsIdent(v, "True")) return true;
  if (TState::IsIdent(v, "False")) return false;
  TState::Expected(v, "True または False");
}

double TReader::ReadFloat() {
  const TValue& v = FState->Take();
  if (v.Kind == TValue::vkFloat) return v.Float;
  if (v.Kind == TValue::vkInteger) return static_cast<double>(v.Int);
  TState::Expected(v, "数値");
}

AnsiString TReader::ReadIdent() {
  const TValue& v = FState->Take();
  if (v.Kind != TValue::vkIdent) TState::Expected(v, "識別子");
  return v.Str;
}

char TReader::ReadChar() {
  const TValue& v = FState->Take();
  if (v.Kind != TValue::vkString || v.Str.size() != 1) TState::Expected(v, "1 文字の文字列");
  return v.Str[0];
}

Variant TReader::ReadVariant() {
  const TValue& v = FState->Take();
  Variant x = TState::ToVariant(v);
  if (x.IsEmpty()) TState::Expected(v, "値");
  return x;
}

void TReader::ReadCollection(TCollection* Collection) {
  const TValue& v = FState->Take();
  if (v.Kind != TValue::vkCollection) TState::Expected(v, "コレクション");
  if (!Collection) throw EReadError("読み込み先のコレクションがありません.");
  FState->ReadCollectionValue(Collection, v, FState->WantedWhere);
}

int TReader::Line() const {
  TState::TCursor& c = FState->Top();
  return c.Pos != c.End ? c.Pos->Line : c.Line;
}

void TReader::DefineProperty(const AnsiString& Name, TReaderProc ReadData, TWriterProc, bool) {
  TState& s = *FState;
  if (!s.Wanted || s.Found || !SameText(Name, *s.Wanted)) return;
  s.ReadDefinedValue([&] {
    if (ReadData)
      ReadData(this);
    else
      s.Take();
  });
}

void TReader::DefineBinaryProperty(const AnsiString& Name, TStreamProc ReadData, TStreamProc, bool) {
  TState& s = *FState;
  if (!s.Wanted || s.Found || !SameText(Name, *s.Wanted)) return;
  s.ReadDefinedValue([&] {
    const TValue& v = s.Take();
    if (v.Kind != TValue::vkBinary) TState::Expected(v, "バイナリデータ");
    TMemoryStream data;
    data.WriteBuffer(v.Str.data(), static_cast<int>(v.Str.size()));
    data.SetPosition(0);
    if (ReadData) ReadData(&data);
  });
}

void ReadComponentText(const AnsiString& Text, TComponent* Root) {
  TReader reader(Text);
  reader.ReadRootComponent(Root);
}

}  // namespace Vcl
