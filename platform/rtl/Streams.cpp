#include "Streams.h"

#include <algorithm>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace Vcl {

VCL_PUBLISH(TStream, TObject, Object) {}

long long TStream::Size() {
  long long pos = Seek(0, soCurrent);
  long long size = Seek(0, soEnd);
  Seek(pos, soBeginning);
  return size;
}

void TStream::SetSize(long long NewSize) {}

void TStream::ReadBuffer(void* Buffer, int Count) {
  if (Count < 0 || (Count != 0 && Read(Buffer, Count) != Count)) throw EReadError("ストリームの読み込みエラー.");
}

void TStream::WriteBuffer(const void* Buffer, int Count) {
  if (Count < 0 || (Count != 0 && Write(Buffer, Count) != Count)) throw EWriteError("ストリームの書き込みエラー.");
}

long long TStream::CopyFrom(TStream* Source, long long Count) {
  if (Count == 0) {
    Source->SetPosition(0);
    Count = Source->Size();
  }
  long long done = 0;
  std::vector<char> buf(static_cast<std::size_t>(std::min<long long>(Count, 0xF000)) + 1);
  while (done < Count) {
    int n = static_cast<int>(std::min<long long>(Count - done, static_cast<long long>(buf.size())));
    Source->ReadBuffer(buf.data(), n);
    WriteBuffer(buf.data(), n);
    done += n;
  }
  return done;
}

// ---------------------------------------------------------------------------

VCL_PUBLISH(TMemoryStream, TStream, Object) {}

int TMemoryStream::Read(void* Buffer, int Count) {
  if (Count <= 0 || FPosition >= Size()) return 0;
  int n = static_cast<int>(std::min<long long>(Count, Size() - FPosition));
  std::memcpy(Buffer, FData.data() + FPosition, static_cast<std::size_t>(n));
  FPosition += n;
  return n;
}

int TMemoryStream::Write(const void* Buffer, int Count) {
  if (Count <= 0) return 0;
  long long end = FPosition + Count;
  if (end > Size()) FData.resize(static_cast<std::size_t>(end));
  std::memcpy(FData.data() + FPosition, Buffer, static_cast<std::size_t>(Count));
  FPosition = end;
  return Count;
}

long long TMemoryStream::Seek(long long Offset, TSeekOrigin Origin) {
  long long base = Origin == soBeginning ? 0 : Origin == soCurrent ? FPosition : Size();
  long long pos = base + Offset;
  // A position before the start is refused; past the end is allowed and
  // filled with zeros by the next write.
  if (pos >= 0) FPosition = pos;
  return FPosition;
}

void TMemoryStream::SetSize(long long NewSize) {
  FData.resize(static_cast<std::size_t>(std::max<long long>(NewSize, 0)));
  if (FPosition > Size()) FPosition = Size();
}

void TMemoryStream::Clear() {
  FData.clear();
  FPosition = 0;
}

void TMemoryStream::LoadFromStream(TStream* Stream) {
  Stream->SetPosition(0);
  long long n = Stream->Size();
  std::vector<char> data(static_cast<std::size_t>(n));
  if (n) Stream->ReadBuffer(data.data(), static_cast<int>(n));
  FData.swap(data);
  FPosition = 0;
}

void TMemoryStream::LoadFromFile(const AnsiString& FileName) {
  TFileStream f(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&f);
}

void TMemoryStream::SaveToStream(TStream* Stream) {
  if (!FData.empty()) Stream->WriteBuffer(FData.data(), static_cast<int>(FData.size()));
}

void TMemoryStream::SaveToFile(const AnsiString& FileName) {
  TFileStream f(FileName, fmCreate);
  SaveToStream(&f);
}

VCL_PUBLISH(TStringStream, TMemoryStream, Object) {}

TStringStream::TStringStream(const AnsiString& Data) {
  if (!Data.empty()) WriteBuffer(Data.data(), static_cast<int>(Data.size()));
  SetPosition(0);
}

AnsiString TStringStream::DataString() const {
  return AnsiString(Memory(), static_cast<std::size_t>(DataSize()));
}

// ---------------------------------------------------------------------------

VCL_PUBLISH(TFileStream, TStream, Object) {}

namespace {
int SeekFile(std::FILE* F, long long Offset, int Whence) {
#ifdef _WIN32
  return _fseeki64(F, Offset, Whence);
#else
  return fseeko(F, Offset, Whence);
#endif
}
long long TellFile(std::FILE* F) {
#ifdef _WIN32
  return _ftelli64(F);
#else
  return ftello(F);
#endif
}
}  // namespace

TFileStream::TFileStream(const AnsiString& FileName, unsigned Mode) : FFileName(FileName) {
  if ((Mode & fmCreate) == fmCreate) {
    FFile = std::fopen(FileName.c_str(), "w+b");
    if (!FFile) throw EFCreateError(FormatMsg("ファイル %s を作成できません", FileName));
    return;
  }
  // The file must exist; writing modes keep its contents.
  FFile = std::fopen(FileName.c_str(), (Mode & 3) == fmOpenRead ? "rb" : "r+b");
  if (!FFile) throw EFOpenError(FormatMsg("ファイル %s を開けません.", FileName));
}

TFileStream::~TFileStream() {
  if (FFile) std::fclose(FFile);
}

void TFileStream::Switch(TLastOp Op) {
  // C streams need a seek between reading and writing.
  if (FLastOp != opNone && FLastOp != Op) SeekFile(FFile, 0, SEEK_CUR);
  FLastOp = Op;
}

int TFileStream::Read(void* Buffer, int Count) {
  if (Count <= 0) return 0;
  Switch(opRead);
  return static_cast<int>(std::fread(Buffer, 1, static_cast<std::size_t>(Count), FFile));
}

int TFileStream::Write(const void* Buffer, int Count) {
  if (Count <= 0) return 0;
  Switch(opWrite);
  std::size_t n = std::fwrite(Buffer, 1, static_cast<std::size_t>(Count), FFile);
  if (n != static_cast<std::size_t>(Count)) std::clearerr(FFile);
  return static_cast<int>(n);
}

long long TFileStream::Seek(long long Offset, TSeekOrigin Origin) {
  int whence = Origin == soBeginning ? SEEK_SET : Origin == soCurrent ? SEEK_CUR : SEEK_END;
  if (!(Origin == soCurrent && Offset == 0)) {
    SeekFile(FFile, Offset, whence);
    FLastOp = opNone;
  }
  return TellFile(FFile);
}

void TFileStream::SetSize(long long NewSize) {
  std::fflush(FFile);
  long long pos = Position();
#ifdef _WIN32
  bool ok = _chsize_s(_fileno(FFile), NewSize) == 0;
#else
  bool ok = ftruncate(fileno(FFile), NewSize) == 0;
#endif
  if (!ok) throw EWriteError("ストリームの書き込みエラー.");
  Seek(std::min(pos, NewSize), soBeginning);
}

}  // namespace Vcl
