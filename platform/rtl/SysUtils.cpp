#include "SysUtils.h"

#include <cstring>

namespace Vcl {

std::size_t LastCharStart(const AnsiString& S) {
  std::size_t last = AnsiString::npos;
  for (std::size_t i = 0; i < S.size();) {
    last = i;
    // A lead byte at the very end has no trail: count it as one character.
    i += (IsLeadByte(static_cast<unsigned char>(S[i])) && i + 1 < S.size()) ? 2 : 1;
  }
  return last;
}

AnsiString FormatMsg(const AnsiString& Fmt, const AnsiString& Arg) {
  AnsiString r = Fmt;
  std::size_t p = r.find("%s");
  if (p != AnsiString::npos) r.replace(p, 2, Arg);
  return r;
}

AnsiString IntToStr(long long Value) { return std::to_string(Value); }

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

bool TryStrToInt(const AnsiString& S, int& Value) {
  std::size_t i = 0, n = S.size();
  while (i < n && S[i] == ' ') ++i;
  bool negative = false;
  if (i < n && (S[i] == '+' || S[i] == '-')) negative = S[i++] == '-';
  int base = 10;
  if (i < n && S[i] == '$') {
    base = 16, ++i;
  } else if (i < n && (S[i] == 'x' || S[i] == 'X')) {
    base = 16, ++i;
  } else if (i + 1 < n && S[i] == '0' && (S[i + 1] == 'x' || S[i + 1] == 'X')) {
    base = 16, i += 2;
  }
  if (i == n) return false;  // no digits at all
  const unsigned long long limit = negative ? 0x80000000ull : 0x7FFFFFFFull;
  unsigned long long v = 0;
  for (; i < n; ++i) {
    int d = base == 16 ? HexDigit(S[i]) : (S[i] >= '0' && S[i] <= '9' ? S[i] - '0' : -1);
    if (d < 0) return false;
    v = v * base + d;
    if (v > limit) return false;
  }
  Value = negative ? static_cast<int>(-static_cast<long long>(v)) : static_cast<int>(v);
  return true;
}

int StrToInt(const AnsiString& S) {
  int v = 0;
  if (!TryStrToInt(S, v)) throw EConvertError(FormatMsg("'%s' は整数ではありません", S));
  return v;
}

namespace {

int ByteCollate(const char* S1, std::size_t L1, const char* S2, std::size_t L2) {
  int c = std::memcmp(S1, S2, L1 < L2 ? L1 : L2);
  if (c == 0) c = L1 < L2 ? -1 : (L1 > L2 ? 1 : 0);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

TCollateFunc Collate = ByteCollate;

}  // namespace

void SetCollation(TCollateFunc Func) { Collate = Func ? Func : ByteCollate; }

int AnsiCompareStr(const AnsiString& S1, const AnsiString& S2) {
  int c = Collate(S1.data(), S1.size(), S2.data(), S2.size());
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int CompareText(const AnsiString& S1, const AnsiString& S2) {
  auto up = [](unsigned char c) { return (c >= 'a' && c <= 'z') ? c - 32 : c; };
  std::size_t n = S1.size() < S2.size() ? S1.size() : S2.size();
  bool trail = false;  // trail bytes of double-byte characters never fold
  for (std::size_t i = 0; i < n; ++i) {
    unsigned char c1 = static_cast<unsigned char>(S1[i]), c2 = static_cast<unsigned char>(S2[i]);
    int a = trail ? c1 : up(c1), b = trail ? c2 : up(c2);
    if (a != b) return a < b ? -1 : 1;
    trail = !trail && IsLeadByte(c1);
  }
  return S1.size() < S2.size() ? -1 : (S1.size() > S2.size() ? 1 : 0);
}

bool SameText(const AnsiString& S1, const AnsiString& S2) { return CompareText(S1, S2) == 0; }

namespace {

// Position of the last single-byte character of Delims in S, skipping the
// trail bytes of double-byte characters; npos when there is none.
std::size_t LastDelimiter(const char* Delims, const AnsiString& S) {
  std::size_t found = AnsiString::npos;
  for (std::size_t i = 0; i < S.size();) {
    unsigned char c = static_cast<unsigned char>(S[i]);
    if (IsLeadByte(c)) {
      i += 2;
      continue;
    }
    if (c != 0 && std::strchr(Delims, c)) found = i;
    ++i;
  }
  return found;
}

}  // namespace

AnsiString ExtractFileExt(const AnsiString& FileName) {
  std::size_t p = LastDelimiter(".\\:", FileName);
  if (p != AnsiString::npos && FileName[p] == '.') return FileName.substr(p);
  return AnsiString();
}

AnsiString ExtractFileName(const AnsiString& FileName) {
  std::size_t p = LastDelimiter("\\:", FileName);
  return p == AnsiString::npos ? FileName : FileName.substr(p + 1);
}

AnsiString ExtractFilePath(const AnsiString& FileName) {
  std::size_t p = LastDelimiter("\\:", FileName);
  return p == AnsiString::npos ? AnsiString() : FileName.substr(0, p + 1);
}

AnsiString ExceptionDisplayText(const AnsiString& Message) {
  std::size_t p = LastCharStart(Message);
  if (p == AnsiString::npos) return Message;
  // Ordinal order: any double-byte character sorts after ".".
  if (Message.compare(p, AnsiString::npos, ".") > 0) return Message + ".";
  return Message;
}

}  // namespace Vcl
