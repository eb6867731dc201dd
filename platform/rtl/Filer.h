// Form resources: reading and writing components in the textual form
// syntax (see FormText.h).
//
// Reading into a root: the root takes the name in the text (made unique
// among its owner's components, Form1_1 for a second one) and keeps its own
// class whatever the text names. Then its properties, then each nested object,
// created through its class reference (found among the classes of the
// root's published fields, then in the class registry) with the root as
// owner (or the enclosing component's GetChildOwner), named, stored in the
// owner's published field of that name, given its enclosing component
// through SetParentComponent, and read in turn. Every component read has
// csLoading and csReading set from its creation. References to components
// and events (by published method name of the root) are resolved after the
// whole text is read; then csReading is cleared and Loaded is called on
// each component in read order: the root first, then every object in the
// order its "object" line appears. On an error the components created so
// far are destroyed and EReadError names the problem and the line.
//
// Writing: published properties that differ from their defaults (and are
// stored), then the properties that DefineProperties adds, then the
// children from GetChildren.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "Classes.h"
#include "Collections.h"
#include "Streams.h"

namespace Vcl {

class TReader;
class TWriter;

namespace Form {
struct TValue;
struct TObjectNode;
}  // namespace Form

using TReaderProc = std::function<void(TReader* Reader)>;
using TWriterProc = std::function<void(TWriter* Writer)>;
using TStreamProc = std::function<void(TStream* Stream)>;

// Kinds of the next value a reader holds.
enum TValueType {
  vaNull, vaList, vaInt8, vaInt16, vaInt32, vaExtended, vaString, vaIdent, vaFalse, vaTrue,
  vaBinary, vaSet, vaLString, vaNil, vaCollection, vaSingle, vaCurrency, vaDate, vaWString, vaInt64
};

class TFiler : public TObject {
  VCL_CLASS(TFiler)
 public:
  // A property stored beside the published ones: ReadData reads its value
  // when the text holds it; WriteData writes exactly one value when
  // HasData is true.
  virtual void DefineProperty(const AnsiString& Name, TReaderProc ReadData, TWriterProc WriteData, bool HasData) = 0;
  // The same for raw bytes, written as { hex }.
  virtual void DefineBinaryProperty(const AnsiString& Name, TStreamProc ReadData, TStreamProc WriteData,
                                    bool HasData) = 0;
  TComponent* Root() const { return FRoot; }
  // Forms here have no ancestors.
  TPersistent* Ancestor() const { return nullptr; }

 protected:
  TComponent* FRoot = nullptr;
};

class TReader : public TFiler {
  VCL_CLASS(TReader)
 public:
  explicit TReader(const AnsiString& Text);
  ~TReader() override;

  // Reads the text into Root (see the top of this file).
  void ReadRootComponent(TComponent* Root);

  // --- values of a defined property ---------------------------------
  TValueType NextValue() const;
  bool EndOfList() const;
  void ReadListBegin();
  void ReadListEnd();
  AnsiString ReadString();
  int ReadInteger();
  long long ReadInt64();
  bool ReadBoolean();
  double ReadFloat();
  AnsiString ReadIdent();
  char ReadChar();
  Variant ReadVariant();
  // Clears Collection and reads its items from a "< item ... end >" value.
  void ReadCollection(TCollection* Collection);
  // The line of the value read next, for messages.
  int Line() const;

  // The owner and the enclosing component of the objects being read.
  TComponent* Owner() const { return FOwner; }
  TComponent* Parent() const { return FParent; }

  void DefineProperty(const AnsiString& Name, TReaderProc ReadData, TWriterProc WriteData, bool HasData) override;
  void DefineBinaryProperty(const AnsiString& Name, TStreamProc ReadData, TStreamProc WriteData,
                            bool HasData) override;

 private:
  struct TState;
  friend struct TState;
  std::unique_ptr<TState> FState;
  TComponent* FOwner = nullptr;
  TComponent* FParent = nullptr;
};

class TWriter : public TFiler {
  VCL_CLASS(TWriter)
 public:
  TWriter();
  ~TWriter() override;

  void WriteRootComponent(TComponent* Root);
  // The text written so far.
  AnsiString Text() const;

  // --- values of a defined property ---------------------------------
  void WriteListBegin();
  void WriteListEnd();
  void WriteString(const AnsiString& Value);
  void WriteInteger(long long Value);
  void WriteBoolean(bool Value);
  void WriteFloat(double Value);
  void WriteIdent(const AnsiString& Ident);
  void WriteChar(char Value);
  void WriteVariant(const Variant& Value);
  void WriteCollection(TCollection* Collection);

  void DefineProperty(const AnsiString& Name, TReaderProc ReadData, TWriterProc WriteData, bool HasData) override;
  void DefineBinaryProperty(const AnsiString& Name, TStreamProc ReadData, TStreamProc WriteData,
                            bool HasData) override;

 private:
  struct TState;
  friend struct TState;
  std::unique_ptr<TState> FState;
};

// Reads "object Root: TClass ... end" into an existing root component.
void ReadComponentText(const AnsiString& Text, TComponent* Root);
// Writes Root and its children as form text.
AnsiString WriteComponentText(TComponent* Root);

// Finds a component of another root for references written "Form2.Button1";
// the windowed layer installs one that knows the application's forms.
using TFindGlobalComponent = TComponent* (*)(const AnsiString& Name);
void SetFindGlobalComponent(TFindGlobalComponent Find);

}  // namespace Vcl
