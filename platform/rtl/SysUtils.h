// Portable run-time core: 8-bit strings in code page 932, the exception
// family, conversions, file-name functions and the command line.
// No Windows header here: what differs by system comes through hooks.
#pragma once

#include <cstdint>
#include <string>

namespace Vcl {

// The platform's 8-bit string. Holds code page 932 bytes.
using AnsiString = std::string;
// The platform's UTF-16 string, for the few system calls that need one.
using WideString = std::wstring;

// True for a byte that starts a double-byte character in code page 932.
constexpr bool IsLeadByte(unsigned char b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Byte offset of the character that ends S (a whole double-byte character
// when S ends in one); npos for an empty string.
std::size_t LastCharStart(const AnsiString& S);

// ---------------------------------------------------------------------------
// Exceptions

class Exception : public std::exception {
 public:
  explicit Exception(AnsiString Msg) : FMessage(std::move(Msg)) {}
  virtual ~Exception() = default;
  const AnsiString& Message() const noexcept { return FMessage; }
  void SetMessage(AnsiString Msg) { FMessage = std::move(Msg); }
  const char* what() const noexcept override { return FMessage.c_str(); }
  // Name of the exception class, for diagnostics.
  virtual const char* ClassName() const noexcept { return "Exception"; }

 private:
  AnsiString FMessage;
};

#define VCL_EXCEPTION(Name, Base)                                        \
  class Name : public Base {                                             \
   public:                                                               \
    using Base::Base;                                                    \
    const char* ClassName() const noexcept override { return #Name; }    \
  };

VCL_EXCEPTION(EConvertError, Exception)
VCL_EXCEPTION(EInvalidOperation, Exception)
VCL_EXCEPTION(EStreamError, Exception)
VCL_EXCEPTION(EFCreateError, EStreamError)
VCL_EXCEPTION(EFOpenError, EStreamError)
VCL_EXCEPTION(EReadError, EStreamError)
VCL_EXCEPTION(EWriteError, EStreamError)
VCL_EXCEPTION(EListError, Exception)
VCL_EXCEPTION(EComponentError, Exception)
VCL_EXCEPTION(EVariantError, Exception)
VCL_EXCEPTION(ERangeError, Exception)
VCL_EXCEPTION(EOutOfMemory, Exception)
VCL_EXCEPTION(EClassNotFound, Exception)
VCL_EXCEPTION(EPropertyError, Exception)
VCL_EXCEPTION(EOSError, Exception)

// Replaces the first "%s" of Fmt by Arg (messages carry one argument).
AnsiString FormatMsg(const AnsiString& Fmt, const AnsiString& Arg);

// ---------------------------------------------------------------------------
// Conversions

AnsiString IntToStr(long long Value);

// Leading blanks, optional sign, then decimal digits or hexadecimal digits
// after "$", "x", "X", "0x" or "0X"; nothing after the last digit; the value
// must fit a signed 32-bit integer. Raises EConvertError otherwise.
int StrToInt(const AnsiString& S);
// As StrToInt, answering false instead of raising.
bool TryStrToInt(const AnsiString& S, int& Value);

// ---------------------------------------------------------------------------
// Comparison

// Case-sensitive comparison in the user's collation: -1, 0 or 1.
int AnsiCompareStr(const AnsiString& S1, const AnsiString& S2);
// Case-insensitive comparison of ASCII letters only: -1, 0 or 1.
int CompareText(const AnsiString& S1, const AnsiString& S2);
bool SameText(const AnsiString& S1, const AnsiString& S2);

// The system installs its own collation here; the default compares bytes.
using TCollateFunc = int (*)(const char* S1, std::size_t L1, const char* S2, std::size_t L2);
void SetCollation(TCollateFunc Func);

// ---------------------------------------------------------------------------
// File names ("\" and ":" delimit, double-byte aware)

// The extension with its dot: from the last "." after the last delimiter.
AnsiString ExtractFileExt(const AnsiString& FileName);
// The part after the last delimiter.
AnsiString ExtractFileName(const AnsiString& FileName);
// Everything up to and including the last delimiter.
AnsiString ExtractFilePath(const AnsiString& FileName);

// ---------------------------------------------------------------------------
// Error-box text: the message with a "." appended when it is not empty and
// its last character sorts after ".".
AnsiString ExceptionDisplayText(const AnsiString& Message);

}  // namespace Vcl
