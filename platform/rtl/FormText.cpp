#include "FormText.h"

#include <charconv>
#include <cmath>
#include <string_view>

namespace Vcl::Form {

TValue TValue::Integer(long long V, int Line) {
  TValue v;
  v.Kind = vkInteger, v.Int = V, v.Line = Line;
  return v;
}
TValue TValue::Real(double V, int Line) {
  TValue v;
  v.Kind = vkFloat, v.Float = V, v.Line = Line;
  return v;
}
TValue TValue::String(const AnsiString& V, int Line) {
  TValue v;
  v.Kind = vkString, v.Str = V, v.Line = Line;
  return v;
}
TValue TValue::Ident(const AnsiString& V, int Line) {
  TValue v;
  v.Kind = vkIdent, v.Str = V, v.Line = Line;
  return v;
}

AnsiString AtLine(int Line, const AnsiString& Message) { return "行 " + IntToStr(Line) + ": " + Message; }

AnsiString ExpectedMessage(const AnsiString& What, const AnsiString& Found) {
  // The last character, not the last byte: a trail byte may look like ASCII.
  auto gap = [](const AnsiString& S) {
    std::size_t p = LastCharStart(S);
    return p != AnsiString::npos && p + 1 == S.size() && static_cast<unsigned char>(S[p]) < 0x80 ? " " : "";
  };
  return What + gap(What) + "が必要ですが " + Found + gap(Found) + "があります.";
}

namespace {

bool IsTrailByte(unsigned char c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC); }
bool IsIdentStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsIdentChar(char c) { return IsIdentStart(c) || (c >= '0' && c <= '9'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

enum TTokenKind { tEOF, tIdent, tInteger, tFloat, tString, tBinary, tSymbol };

struct TToken {
  TTokenKind Kind = tEOF;
  AnsiString Text;  // identifier, string value, symbol, number as written
  long long Int = 0;
  double Float = 0;
  int Line = 1;
};

class TParser {
 public:
  explicit TParser(const AnsiString& Text) : FText(Text) { Next(); }

  TObjectNode ParseRoot() {
    TObjectNode root = ParseObject();
    if (FTok.Kind != tEOF) Fail(FTok.Line, "end の後に余分なテキストがあります.");
    return root;
  }

 private:
  [[noreturn]] static void Fail(int Line, const AnsiString& Msg) { throw EReadError(AtLine(Line, Msg)); }

  static AnsiString Show(const TToken& T) {
    switch (T.Kind) {
      case tEOF: return "ファイルの終わり";
      case tString: return "文字列";
      case tBinary: return "バイナリデータ";
      default: return "'" + T.Text + "'";
    }
  }
  [[noreturn]] void Expected(const AnsiString& What) const {
    Fail(FTok.Line, ExpectedMessage(What, Show(FTok)));
  }
  bool IsSymbol(char C) const { return FTok.Kind == tSymbol && FTok.Text[0] == C; }
  bool IsKeyword(const char* K) const { return FTok.Kind == tIdent && SameText(FTok.Text, K); }
  void Expect(char C) {
    if (!IsSymbol(C)) Expected(AnsiString("'") + C + "'");
    Next();
  }
  AnsiString ExpectName(const AnsiString& What) {
    if (FTok.Kind != tIdent || FTok.Text.find('.') != AnsiString::npos) Expected(What);
    AnsiString s = FTok.Text;
    Next();
    return s;
  }

  // --- lexer ----------------------------------------------------------
  char Peek(std::size_t Ahead = 0) const { return FPos + Ahead < FText.size() ? FText[FPos + Ahead] : '\0'; }
  bool AtEnd() const { return FPos >= FText.size(); }

  void SkipBlanks() {
    while (!AtEnd()) {
      char c = FText[FPos];
      if (c == '\n') {
        ++FLine, ++FPos;
      } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
        ++FPos;
      } else {
        break;
      }
    }
  }

  void Next() {
    SkipBlanks();
    FTok = TToken();
    FTok.Line = FLine;
    if (AtEnd()) return;
    char c = FText[FPos];
    if (IsIdentStart(c)) return LexIdent();
    if (IsDigit(c) || c == '$' || (c == '-' && (IsDigit(Peek(1)) || Peek(1) == '$'))) return LexNumber();
    if (c == '\'' || c == '#') return LexString();
    if (c == '{') return LexBinary();
    if (std::string_view("=:[](),<>+").find(c) != std::string_view::npos) {
      FTok.Kind = tSymbol, FTok.Text = AnsiString(1, c);
      ++FPos;
      return;
    }
    unsigned char u = static_cast<unsigned char>(c);
    Fail(FLine, u >= 0x20 && u < 0x7F ? "不正な文字 '" + AnsiString(1, c) + "' があります."
                                      : "不正な文字 (#" + IntToStr(u) + ") があります.");
  }

  void LexIdent() {
    std::size_t start = FPos;
    for (;;) {
      while (IsIdentChar(Peek())) ++FPos;
      if (Peek() == '.' && IsIdentStart(Peek(1)))
        ++FPos;
      else
        break;
    }
    FTok.Kind = tIdent, FTok.Text = FText.substr(start, FPos - start);
  }

  void LexNumber() {
    std::size_t start = FPos;
    bool neg = Peek() == '-';
    if (neg) ++FPos;
    if (Peek() == '$') {
      ++FPos;
      std::size_t digits = FPos;
      unsigned long long v = 0;
      while (HexValue(Peek()) >= 0) {
        if (v > 0x0FFFFFFFFFFFFFFFull) Fail(FLine, "数値 " + FText.substr(start, FPos - start) + " が大きすぎます.");
        v = v * 16 + static_cast<unsigned>(HexValue(FText[FPos++]));
      }
      if (FPos == digits) Fail(FLine, "16 進数の桁がありません.");
      FTok.Kind = tInteger, FTok.Int = neg ? -static_cast<long long>(v) : static_cast<long long>(v);
    } else {
      while (IsDigit(Peek())) ++FPos;
      bool real = false;
      if (Peek() == '.' && IsDigit(Peek(1))) {
        real = true, ++FPos;
        while (IsDigit(Peek())) ++FPos;
      }
      if ((Peek() == 'e' || Peek() == 'E') &&
          (IsDigit(Peek(1)) || ((Peek(1) == '+' || Peek(1) == '-') && IsDigit(Peek(2))))) {
        real = true, FPos += 2;
        while (IsDigit(Peek())) ++FPos;
      }
      const char* b = FText.data() + start;
      const char* e = FText.data() + FPos;
      std::from_chars_result r{};
      if (real) {
        FTok.Kind = tFloat;
        r = std::from_chars(b, e, FTok.Float, std::chars_format::general);
      } else {
        FTok.Kind = tInteger;
        r = std::from_chars(b, e, FTok.Int);
      }
      if (r.ec != std::errc() || r.ptr != e)
        Fail(FLine, "数値 " + FText.substr(start, FPos - start) + " が正しくありません.");
    }
    if (IsIdentChar(Peek())) Fail(FLine, "数値 " + FText.substr(start, FPos + 1 - start) + " が正しくありません.");
    FTok.Text = FText.substr(start, FPos - start);
  }

  // "{", hex digits and blanks, "}".
  void LexBinary() {
    FTok.Kind = tBinary, FTok.Text.clear();
    int startLine = FLine;
    ++FPos;
    int high = -1;
    for (;;) {
      if (AtEnd()) Fail(startLine, "バイナリデータが閉じていません.");
      char c = FText[FPos++];
      if (c == '}') break;
      if (c == '\n') {
        ++FLine;
        continue;
      }
      if (c == ' ' || c == '\r' || c == '\t') continue;
      int h = HexValue(c);
      if (h < 0) Fail(FLine, "バイナリデータに 16 進数でない文字があります.");
      if (high < 0) {
        high = h;
      } else {
        FTok.Text += static_cast<char>(high * 16 + h);
        high = -1;
      }
    }
    if (high >= 0) Fail(FLine, "バイナリデータの桁数が奇数です.");
  }

  // Adjacent quoted runs and #nn codes make one string token.
  void LexString() {
    FTok.Kind = tString;
    for (;;) {
      if (Peek() == '\'') {
        ++FPos;
        for (;;) {
          if (AtEnd() || Peek() == '\n' || Peek() == '\r') Fail(FLine, "文字列が閉じていません.");
          unsigned char c = static_cast<unsigned char>(FText[FPos]);
          if (c == '\'') {
            if (Peek(1) != '\'') break;
            FTok.Text += '\'', FPos += 2;
          } else if (IsLeadByte(c) && IsTrailByte(static_cast<unsigned char>(Peek(1)))) {
            FTok.Text.append(FText, FPos, 2), FPos += 2;
          } else {
            FTok.Text += static_cast<char>(c), ++FPos;
          }
        }
        ++FPos;
      } else if (Peek() == '#') {
        ++FPos;
        long long code = 0;
        std::size_t digits = FPos;
        if (Peek() == '$') {
          ++FPos, ++digits;
          while (HexValue(Peek()) >= 0 && code < 0x10000) code = code * 16 + HexValue(FText[FPos++]);
        } else {
          while (IsDigit(Peek()) && code < 0x10000) code = code * 10 + (FText[FPos++] - '0');
        }
        if (FPos == digits) Fail(FLine, "# の後に文字コードがありません.");
        if (code > 255) Fail(FLine, "文字コード #" + IntToStr(code) + " は 8 ビットの文字ではありません.");
        FTok.Text += static_cast<char>(code);
      } else {
        break;
      }
    }
  }

  // --- grammar --------------------------------------------------------
  TObjectNode ParseObject() {
    if (IsKeyword("inherited") || IsKeyword("inline")) Fail(FTok.Line, FTok.Text + " には対応していません.");
    if (!IsKeyword("object")) Expected("object");
    TObjectNode node;
    node.Line = FTok.Line;
    Next();
    AnsiString first = ExpectName("コンポーネント名");
    if (IsSymbol(':')) {
      Next();
      node.Name = first;
      node.ClassName = ExpectName("クラス名");
    } else {
      node.ClassName = first;
    }
    for (;;) {
      if (FTok.Kind == tEOF) {
        AnsiString what = node.Name.empty() ? node.ClassName : node.Name;
        Fail(FTok.Line, "object " + what + " (行 " + IntToStr(node.Line) + ") に対応する end がありません.");
      }
      if (IsKeyword("end")) {
        Next();
        return node;
      }
      if (IsKeyword("object") || IsKeyword("inherited") || IsKeyword("inline")) {
        node.Children.push_back(ParseObject());
        continue;
      }
      node.Props.push_back(ParseProp());
    }
  }

  TProp ParseProp() {
    TProp p;
    p.Line = FTok.Line;
    if (FTok.Kind != tIdent) Expected("プロパティ名");
    p.Name = FTok.Text;
    Next();
    Expect('=');
    p.Value = ParseValue();
    return p;
  }

  TValue ParseValue() {
    TValue v;
    v.Line = FTok.Line;
    switch (FTok.Kind) {
      case tInteger:
        v.Kind = TValue::vkInteger, v.Int = FTok.Int;
        Next();
        return v;
      case tFloat:
        v.Kind = TValue::vkFloat, v.Float = FTok.Float;
        Next();
        return v;
      case tString:
        v.Kind = TValue::vkString, v.Str = FTok.Text;
        Next();
        while (IsSymbol('+')) {
          Next();
          if (FTok.Kind != tString) Expected("文字列");
          v.Str += FTok.Text;
          Next();
        }
        return v;
      case tIdent:
        // Keywords end a body; as a value they mean the value is missing.
        if (IsKeyword("end") || IsKeyword("object") || IsKeyword("item")) Expected("値");
        v.Kind = TValue::vkIdent, v.Str = FTok.Text;
        Next();
        return v;
      case tBinary:
        v.Kind = TValue::vkBinary, v.Str = FTok.Text;
        Next();
        return v;
      case tEOF:
        Expected("値");
      case tSymbol:
        break;
    }
    char c = FTok.Text[0];
    Next();
    if (c == '[') {
      v.Kind = TValue::vkSet;
      if (!IsSymbol(']')) {
        v.Set.push_back(ExpectName("集合の要素"));
        while (IsSymbol(',')) {
          Next();
          v.Set.push_back(ExpectName("集合の要素"));
        }
      }
      Expect(']');
    } else if (c == '(') {
      v.Kind = TValue::vkList;
      while (!IsSymbol(')')) v.List.push_back(ParseValue());
      Next();
    } else if (c == '<') {
      v.Kind = TValue::vkCollection;
      while (!IsSymbol('>')) v.Items.push_back(ParseItem());
      Next();
    } else {
      Fail(v.Line, ExpectedMessage("値", "'" + AnsiString(1, c) + "'"));
    }
    return v;
  }

  TItem ParseItem() {
    if (!IsKeyword("item")) Expected("item");
    TItem item;
    item.Line = FTok.Line;
    Next();
    for (;;) {
      if (FTok.Kind == tEOF) Fail(FTok.Line, "item (行 " + IntToStr(item.Line) + ") に対応する end がありません.");
      if (IsKeyword("end")) {
        Next();
        return item;
      }
      item.Props.push_back(ParseProp());
    }
  }

  const AnsiString& FText;
  std::size_t FPos = 0;
  int FLine = 1;
  TToken FTok;
};

}  // namespace

TObjectNode Parse(const AnsiString& Text) {
  TParser p(Text);
  return p.ParseRoot();
}

namespace {

AnsiString FormatFloat(double V) {
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, V);
  AnsiString s(buf, r.ptr);
  std::size_t e = s.find('e');
  if (e != AnsiString::npos) {
    AnsiString exp = s.substr(e + 1);
    bool neg = !exp.empty() && exp[0] == '-';
    std::size_t d = exp.find_first_not_of("+-0");
    s = s.substr(0, e) + "E" + (neg ? "-" : "") + (d == AnsiString::npos ? "0" : exp.substr(d));
  } else if (s.find('.') == AnsiString::npos) {
    s += ".0";  // keeps the value a float when read back
  }
  return s;
}

// The string as quoted runs and #nn codes, cut into pieces of about
// MaxLen characters (never inside a double-byte character).
std::vector<AnsiString> QuoteString(const AnsiString& S, std::size_t MaxLen) {
  std::vector<AnsiString> pieces;
  AnsiString cur;
  bool quoted = false;
  std::size_t count = 0;
  auto close = [&] {
    if (quoted) cur += '\'', quoted = false;
  };
  for (std::size_t i = 0; i < S.size(); ++i) {
    if (count >= MaxLen) {
      close();
      pieces.push_back(cur);
      cur.clear(), count = 0;
    }
    unsigned char c = static_cast<unsigned char>(S[i]);
    bool pair = IsLeadByte(c) && i + 1 < S.size() && IsTrailByte(static_cast<unsigned char>(S[i + 1]));
    ++count;
    if (c < 0x20 || c == 0x7F || (IsLeadByte(c) && !pair)) {
      close();
      cur += "#" + IntToStr(c);
      continue;
    }
    if (!quoted) cur += '\'', quoted = true;
    if (c == '\'') {
      cur += "''";
    } else if (pair) {
      cur += S[i], cur += S[i + 1];
      ++i;
    } else {
      cur += static_cast<char>(c);
    }
  }
  close();
  if (!cur.empty() || pieces.empty()) pieces.push_back(cur.empty() ? AnsiString("''") : cur);
  return pieces;
}

const char* const HexDigits = "0123456789ABCDEF";

class TPrinter {
 public:
  AnsiString Out;

  void Object(const TObjectNode& N, int Indent) {
    Pad(Indent);
    Out += "object " + (N.Name.empty() ? N.ClassName : N.Name + ": " + N.ClassName) + "\r\n";
    Props(N.Props, Indent + 1);
    for (const TObjectNode& c : N.Children) Object(c, Indent + 1);
    Pad(Indent);
    Out += "end\r\n";
  }

 private:
  void Pad(int Indent) { Out.append(static_cast<std::size_t>(Indent) * 2, ' '); }
  void NewLine(int Indent) {
    Out += "\r\n";
    Pad(Indent);
  }

  void Props(const std::vector<TProp>& Props, int Indent) {
    for (const TProp& p : Props) {
      Pad(Indent);
      Out += p.Name + " = ";
      Value(p.Value, Indent);
      Out += "\r\n";
    }
  }

  // Appends V where the line stands; continuation lines one level deeper.
  void Value(const TValue& V, int Indent) {
    switch (V.Kind) {
      case TValue::vkInteger: Out += IntToStr(V.Int); return;
      case TValue::vkFloat: Out += FormatFloat(V.Float); return;
      case TValue::vkIdent: Out += V.Str; return;
      case TValue::vkSet: {
        Out += "[";
        for (std::size_t i = 0; i < V.Set.size(); ++i) Out += (i ? ", " : "") + V.Set[i];
        Out += "]";
        return;
      }
      case TValue::vkString: {
        std::vector<AnsiString> pieces = QuoteString(V.Str, 64);
        for (std::size_t i = 0; i < pieces.size(); ++i) {
          if (i) {
            Out += " +";
            NewLine(Indent + 1);
          }
          Out += pieces[i];
        }
        return;
      }
      case TValue::vkList:
        Out += "(";
        for (const TValue& item : V.List) {
          NewLine(Indent + 1);
          Value(item, Indent + 1);
        }
        Out += ")";
        return;
      case TValue::vkCollection:
        Out += "<";
        for (const TItem& item : V.Items) {
          NewLine(Indent + 1);
          Out += "item\r\n";
          Props(item.Props, Indent + 2);
          Pad(Indent + 1);
          Out += "end";
        }
        Out += ">";
        return;
      case TValue::vkBinary:
        Out += "{";
        for (std::size_t i = 0; i < V.Str.size(); ++i) {
          if (i % 32 == 0) NewLine(Indent + 1);
          unsigned char b = static_cast<unsigned char>(V.Str[i]);
          Out += HexDigits[b >> 4];
          Out += HexDigits[b & 15];
        }
        Out += "}";
        return;
    }
  }
};

}  // namespace

AnsiString Print(const TObjectNode& Root) {
  TPrinter p;
  p.Object(Root, 0);
  return p.Out;
}

AnsiString Describe(const TValue& Value) {
  switch (Value.Kind) {
    case TValue::vkInteger: return IntToStr(Value.Int);
    case TValue::vkFloat: return FormatFloat(Value.Float);
    case TValue::vkIdent: return Value.Str;
    case TValue::vkString: {
      std::vector<AnsiString> pieces = QuoteString(Value.Str, 40);
      return pieces.size() > 1 ? pieces[0] + "..." : pieces[0];
    }
    case TValue::vkSet: {
      AnsiString r = "[";
      for (std::size_t i = 0; i < Value.Set.size(); ++i) r += (i ? ", " : "") + Value.Set[i];
      return r + "]";
    }
    case TValue::vkList: return "(...)";
    case TValue::vkCollection: return "<...>";
    case TValue::vkBinary: return "{...}";
  }
  return AnsiString();
}

}  // namespace Vcl::Form
