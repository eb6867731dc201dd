// The textual form syntax as a tree: parsed from text before anything is
// created, and printed back. TReader and TWriter work on this tree.
//
//   object Name: TClass          (or "object TClass" for an unnamed one)
//     Prop = 12                  integers, -3, $1F
//     Prop = 2.5                 floats
//     Prop = 'It''s'#13#10'x'    strings: quoted runs and #nn byte codes,
//       + 'more'                 joined by + across lines
//     Prop = alClient            identifiers, dotted names (Form1.Button1)
//     Prop = [a, b]              sets
//     Items.Strings = ('a' 'b')  lists of values
//     Items = <item ... end>     collections
//     Data = {0A1B}              binary data
//     object Child: TClass ... end
//   end
#pragma once

#include <vector>

#include "SysUtils.h"

namespace Vcl::Form {

struct TItem;

struct TValue {
  enum TKind { vkInteger, vkFloat, vkString, vkIdent, vkSet, vkList, vkCollection, vkBinary };
  TKind Kind = vkInteger;
  int Line = 0;
  long long Int = 0;
  double Float = 0.0;
  AnsiString Str;               // string text, identifier, binary bytes
  std::vector<AnsiString> Set;  // set elements
  std::vector<TValue> List;     // list values
  std::vector<TItem> Items;     // collection items

  static TValue Integer(long long V, int Line = 0);
  static TValue Real(double V, int Line = 0);
  static TValue String(const AnsiString& V, int Line = 0);
  static TValue Ident(const AnsiString& V, int Line = 0);
};

struct TProp {
  AnsiString Name;  // dotted for sub-properties: Font.Name
  TValue Value;
  int Line = 0;
};

struct TItem {
  std::vector<TProp> Props;
  int Line = 0;
};

struct TObjectNode {
  AnsiString Name;  // empty for an unnamed component
  AnsiString ClassName;
  int Line = 0;
  std::vector<TProp> Props;
  std::vector<TObjectNode> Children;
};

// Parses one "object ... end" and nothing after it; raises EReadError
// naming the problem and the line.
TObjectNode Parse(const AnsiString& Text);
// The text of a tree, two blanks of indent per level, CR LF line ends.
AnsiString Print(const TObjectNode& Root);
// A short rendering of a value for messages.
AnsiString Describe(const TValue& Value);

// "行 12: " + Message.
AnsiString AtLine(int Line, const AnsiString& Message);
// "<What>が必要ですが <Found>があります.", with a blank after ASCII words.
AnsiString ExpectedMessage(const AnsiString& What, const AnsiString& Found);

}  // namespace Vcl::Form
