// Streams: TStream, TMemoryStream, TStringStream and TFileStream.
// ReadBuffer and WriteBuffer move all bytes asked for or raise
// EReadError / EWriteError.
#pragma once

#include <cstdio>
#include <vector>

#include "Classes.h"

namespace Vcl {

// File stream modes: an access mode or'ed with a sharing mode (sharing is
// not enforced here), or fmCreate.
enum : unsigned {
  fmOpenRead = 0x0000,
  fmOpenWrite = 0x0001,
  fmOpenReadWrite = 0x0002,
  fmShareCompat = 0x0000,
  fmShareExclusive = 0x0010,
  fmShareDenyWrite = 0x0020,
  fmShareDenyRead = 0x0030,
  fmShareDenyNone = 0x0040,
  fmCreate = 0xFFFF,  // creates the file, or empties an existing one
};

enum TSeekOrigin { soBeginning, soCurrent, soEnd };
enum : int { soFromBeginning = 0, soFromCurrent = 1, soFromEnd = 2 };

class TStream : public TObject {
  VCL_CLASS(TStream)
 public:
  // Moves up to Count bytes; the number moved.
  virtual int Read(void* Buffer, int Count) = 0;
  virtual int Write(const void* Buffer, int Count) = 0;
  // The new position.
  virtual long long Seek(long long Offset, TSeekOrigin Origin) = 0;
  long long Seek(long long Offset, int Origin) { return Seek(Offset, static_cast<TSeekOrigin>(Origin)); }

  long long Position() { return Seek(0, soCurrent); }
  void SetPosition(long long Pos) { Seek(Pos, soBeginning); }
  virtual long long Size();
  virtual void SetSize(long long NewSize);

  void ReadBuffer(void* Buffer, int Count);
  void WriteBuffer(const void* Buffer, int Count);
  // Copies Count bytes from Source's position; Count 0 copies all of
  // Source from its start. The number copied.
  long long CopyFrom(TStream* Source, long long Count);
};

// A stream in memory; it grows as it is written.
class TMemoryStream : public TStream {
  VCL_CLASS(TMemoryStream)
 public:
  TMemoryStream() = default;

  int Read(void* Buffer, int Count) override;
  int Write(const void* Buffer, int Count) override;
  long long Seek(long long Offset, TSeekOrigin Origin) override;
  using TStream::Seek;
  long long Size() override { return DataSize(); }
  long long DataSize() const { return static_cast<long long>(FData.size()); }
  void SetSize(long long NewSize) override;

  char* Memory() { return FData.data(); }
  const char* Memory() const { return FData.data(); }
  void Clear();
  // Replaces the contents with all of Stream (from its start).
  void LoadFromStream(TStream* Stream);
  void LoadFromFile(const AnsiString& FileName);
  void SaveToStream(TStream* Stream);
  void SaveToFile(const AnsiString& FileName);

 private:
  std::vector<char> FData;
  long long FPosition = 0;
};

// A memory stream seen as an 8-bit string.
class TStringStream : public TMemoryStream {
  VCL_CLASS(TStringStream)
 public:
  explicit TStringStream(const AnsiString& Data = AnsiString());
  AnsiString DataString() const;
};

// A stream on a file. Opening a file that cannot be opened raises
// EFOpenError; creating one that cannot be created raises EFCreateError.
class TFileStream : public TStream {
  VCL_CLASS(TFileStream)
 public:
  TFileStream(const AnsiString& FileName, unsigned Mode);
  ~TFileStream() override;

  int Read(void* Buffer, int Count) override;
  int Write(const void* Buffer, int Count) override;
  long long Seek(long long Offset, TSeekOrigin Origin) override;
  using TStream::Seek;
  void SetSize(long long NewSize) override;
  const AnsiString& FileName() const { return FFileName; }

 private:
  enum TLastOp { opNone, opRead, opWrite };
  void Switch(TLastOp Op);

  AnsiString FFileName;
  std::FILE* FFile = nullptr;
  TLastOp FLastOp = opNone;
};

}  // namespace Vcl
