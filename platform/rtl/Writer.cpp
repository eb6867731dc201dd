// TWriter: turns components into the form text tree and prints it.
#include <algorithm>
#include <cmath>

#include "Collections.h"
#include "Filer.h"
#include "FormText.h"
#include "Streams.h"

namespace Vcl {

using Form::TValue;

VCL_PUBLISH(TWriter, TFiler, Object) {}

struct TWriter::TState {
  TWriter& W;
  Form::TObjectNode Tree;

  // Where the values of a defined property go.
  std::vector<std::vector<TValue>*> Sinks;
  std::size_t BaseDepth = 0;
  // Where defined properties go, with their path prefix.
  std::vector<Form::TProp>* Props = nullptr;
  AnsiString Prefix;
  std::vector<TObject*> Visiting;

  explicit TState(TWriter& Writer) : W(Writer) {}

  void WriteComponent(TComponent* C, Form::TObjectNode& Node) {
    Node.Name = C->Name();
    Node.ClassName = C->ClassName();
    bool wasWriting = C->HasState(csWriting);
    C->SetComponentState(csWriting, true);
    try {
      WriteProperties(C, AnsiString(), Node.Props);
      std::vector<TComponent*> children;
      C->GetChildren(children, W.FRoot);
      for (TComponent* child : children) {
        Node.Children.emplace_back();
        WriteComponent(child, Node.Children.back());
      }
    } catch (...) {
      C->SetComponentState(csWriting, wasWriting);
      throw;
    }
    C->SetComponentState(csWriting, wasWriting);
  }

  void WriteProperties(TPersistent* Obj, const AnsiString& Path, std::vector<Form::TProp>& Out) {
    // A sub-object that leads back to one being written would never end.
    if (std::find(Visiting.begin(), Visiting.end(), Obj) != Visiting.end()) return;
    Visiting.push_back(Obj);
    std::vector<Form::TProp>* oldProps = Props;
    AnsiString oldPrefix = Prefix;
    try {
      for (const TPropInfo* p : Obj->ClassType()->AllProps()) WriteProperty(Obj, p, Path, Out);
      Props = &Out, Prefix = Path;
      Obj->DefineProperties(&W);
    } catch (...) {
      Props = oldProps, Prefix = oldPrefix;
      Visiting.pop_back();
      throw;
    }
    Props = oldProps, Prefix = oldPrefix;
    Visiting.pop_back();
  }

  static void Add(std::vector<Form::TProp>& Out, const AnsiString& Name, TValue Value) {
    Out.push_back(Form::TProp{Name, std::move(Value), 0});
  }

  // The reference to C as the reader resolves it from the root.
  AnsiString ComponentRef(TComponent* C) const {
    TComponent* root = W.FRoot;
    if (C->Owner() == root && !C->Name().empty()) return C->Name();
    if (C == root) return "Owner";
    if (C->Owner() && !C->Owner()->Name().empty() && !C->Name().empty()) return C->Owner()->Name() + "." + C->Name();
    if (!C->Name().empty()) return C->Name() + ".Owner";
    return AnsiString();
  }

  void WriteProperty(TPersistent* Obj, const TPropInfo* P, const AnsiString& Path, std::vector<Form::TProp>& Out) {
    if (!IsStoredProp(Obj, P)) return;
    AnsiString name = Path + P->Name;
    switch (P->Kind) {
      case tkInteger: case tkInt64: case tkChar: case tkWChar: case tkEnumeration: case tkSet: {
        if (!P->GetOrd || !P->SetOrd) return;
        long long v = P->GetOrd(Obj);
        if (P->HasDefault && v == P->Default) return;
        return Add(Out, name, Ordinal(P, v));
      }
      case tkFloat: {
        if (!P->GetFloat || !P->SetFloat) return;
        double d = P->GetFloat(Obj);
        if (d == 0.0) return;
        if (!std::isfinite(d)) throw EWriteError("プロパティ " + name + " の値は有限の数ではないので書き込めません.");
        return Add(Out, name, TValue::Real(d));
      }
      case tkString: case tkLString: case tkWString: {
        if (!P->GetStr || !P->SetStr) return;
        AnsiString s = P->GetStr(Obj);
        if (!s.empty()) Add(Out, name, TValue::String(s));
        return;
      }
      case tkVariant: {
        if (!P->GetVariant || !P->SetVariant) return;
        Variant v = P->GetVariant(Obj);
        if (!v.IsEmpty()) Add(Out, name, FromVariant(v));
        return;
      }
      case tkMethod: {
        if (!P->GetMethod || !P->SetMethod) return;
        TMethod m = P->GetMethod(Obj);
        // Only methods of the root can be named in its text.
        if (!m.Code || m.Data != static_cast<void*>(static_cast<TObject*>(W.FRoot))) return;
        AnsiString method = W.FRoot->MethodName(m.Code);
        if (!method.empty()) Add(Out, name, TValue::Ident(method));
        return;
      }
      case tkClass: {
        if (!P->GetObj) return;
        TObject* o = P->GetObj(Obj);
        if (!o) return;
        if (TComponent* c = dyn_cast<TComponent>(o)) {
          if (!P->SetObj) return;
          // A component field published as a property: reading restores it
          // from the component's name.
          if (c->Owner() == Obj && SameText(c->Name(), P->Name)) return;
          AnsiString ref = ComponentRef(c);
          if (!ref.empty()) Add(Out, name, TValue::Ident(ref));
        } else if (TCollection* col = dyn_cast<TCollection>(o)) {
          Add(Out, name, Collection(col));
        } else if (TPersistent* sub = dyn_cast<TPersistent>(o)) {
          WriteProperties(sub, name + ".", Out);
        }
        return;
      }
      default:
        return;
    }
  }

  static TValue Ordinal(const TPropInfo* P, long long V) {
    switch (P->Kind) {
      case tkInteger: {
        AnsiString ident;
        if (P->Idents && P->Idents->IntToIdent(V, ident)) return TValue::Ident(ident);
        return TValue::Integer(V);
      }
      case tkChar: return TValue::String(AnsiString(1, static_cast<char>(V)));
      case tkEnumeration: {
        AnsiString ident = P->Enum ? P->Enum->NameOf(V) : AnsiString();
        return ident.empty() ? TValue::Integer(V) : TValue::Ident(ident);
      }
      case tkSet: {
        TValue v;
        v.Kind = TValue::vkSet;
        for (int i = 0; i < 64; ++i)
          if ((static_cast<unsigned long long>(V) >> i) & 1) {
            AnsiString ident = P->Enum ? P->Enum->NameOf(i) : AnsiString();
            if (ident.empty()) throw EWriteError("プロパティ " + P->Name + " の集合に名前のない要素があります.");
            v.Set.push_back(ident);
          }
        return v;
      }
      default: return TValue::Integer(V);
    }
  }

  static TValue FromVariant(const Variant& V) {
    switch (V.VarType()) {
      case varInteger: case varInt64: return TValue::Integer(V.AsInt64());
      case varDouble: return TValue::Real(V.AsDouble());
      case varBoolean: return TValue::Ident(V.AsBoolean() ? "True" : "False");
      default: return TValue::String(V.AsString());
    }
  }

  TValue Collection(TCollection* Col) {
    TValue v;
    v.Kind = TValue::vkCollection;
    for (int i = 0; i < Col->Count(); ++i) {
      v.Items.emplace_back();
      WriteProperties(Col->Items(i), AnsiString(), v.Items.back().Props);
    }
    return v;
  }

  // --- values of a defined property ---------------------------------
  void Put(TValue V) {
    if (BaseDepth == 0 || Sinks.size() < BaseDepth) throw EWriteError("書き込み先のプロパティがありません.");
    Sinks.back()->push_back(std::move(V));
  }

  template <class F>
  void WriteDefined(const AnsiString& Name, F&& Body) {
    if (!Props) return;
    std::vector<TValue> values;
    std::size_t oldBase = BaseDepth;
    Sinks.push_back(&values);
    BaseDepth = Sinks.size();
    try {
      Body();
      if (Sinks.size() != BaseDepth) throw EWriteError("プロパティ " + Prefix + Name + " のリストが閉じていません.");
    } catch (...) {
      Sinks.resize(BaseDepth - 1);
      BaseDepth = oldBase;
      throw;
    }
    Sinks.pop_back();
    BaseDepth = oldBase;
    if (values.size() != 1) throw EWriteError("プロパティ " + Prefix + Name + " には値を 1 つ書き込んでください.");
    Add(*Props, Prefix + Name, std::move(values[0]));
  }
};

TWriter::TWriter() : FState(std::make_unique<TState>(*this)) {}

TWriter::~TWriter() = default;

void TWriter::WriteRootComponent(TComponent* Root) {
  if (!Root) throw EWriteError("書き込むコンポーネントがありません.");
  FRoot = Root;
  FState->Tree = Form::TObjectNode();
  FState->WriteComponent(Root, FState->Tree);
}

AnsiString TWriter::Text() const { return FState->Tree.ClassName.empty() ? AnsiString() : Form::Print(FState->Tree); }

void TWriter::WriteListBegin() {
  TValue v;
  v.Kind = TValue::vkList;
  FState->Put(std::move(v));
  FState->Sinks.push_back(&FState->Sinks.back()->back().List);
}

void TWriter::WriteListEnd() {
  if (FState->Sinks.size() <= FState->BaseDepth) throw EWriteError("リストの始まりがありません.");
  FState->Sinks.pop_back();
}

void TWriter::WriteString(const AnsiString& Value) { FState->Put(TValue::String(Value)); }
void TWriter::WriteInteger(long long Value) { FState->Put(TValue::Integer(Value)); }
void TWriter::WriteBoolean(bool Value) { FState->Put(TValue::Ident(Value ? "True" : "False")); }
void TWriter::WriteChar(char Value) { FState->Put(TValue::String(AnsiString(1, Value))); }
void TWriter::WriteVariant(const Variant& Value) { FState->Put(TState::FromVariant(Value)); }
void TWriter::WriteCollection(TCollection* Collection) { FState->Put(FState->Collection(Collection)); }

void TWriter::WriteFloat(double Value) {
  if (!std::isfinite(Value)) throw EWriteError("有限でない数は書き込めません.");
  FState->Put(TValue::Real(Value));
}

void TWriter::WriteIdent(const AnsiString& Ident) {
  // Dotted references (Form2.Button1) are identifiers joined by dots.
  std::size_t b = 0;
  for (;;) {
    std::size_t e = Ident.find('.', b);
    if (!IsValidIdent(Ident.substr(b, e == AnsiString::npos ? e : e - b)))
      throw EWriteError("'" + Ident + "' は識別子ではありません.");
    if (e == AnsiString::npos) break;
    b = e + 1;
  }
  FState->Put(TValue::Ident(Ident));
}

void TWriter::DefineProperty(const AnsiString& Name, TReaderProc, TWriterProc WriteData, bool HasData) {
  if (!HasData || !WriteData) return;
  FState->WriteDefined(Name, [&] { WriteData(this); });
}

void TWriter::DefineBinaryProperty(const AnsiString& Name, TStreamProc, TStreamProc WriteData, bool HasData) {
  if (!HasData || !WriteData) return;
  FState->WriteDefined(Name, [&] {
    TMemoryStream data;
    WriteData(&data);
    TValue v;
    v.Kind = TValue::vkBinary;
    v.Str.assign(data.Memory(), static_cast<std::size_t>(data.DataSize()));
    FState->Put(std::move(v));
  });
}

AnsiString WriteComponentText(TComponent* Root) {
  TWriter writer;
  writer.WriteRootComponent(Root);
  return writer.Text();
}

}  // namespace Vcl
