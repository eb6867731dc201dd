// Streams in memory and on files: positions, sizes, the file modes and
// their errors, ReadBuffer and WriteBuffer.
#include <doctest.h>

#include <cstdio>
#include <filesystem>

#include "Lists.h"
#include "Streams.h"

using namespace Vcl;

namespace {

// A file name in the temporary folder, removed when the test ends.
struct TTempFile {
  AnsiString Name;
  char Sep = '\\';
  explicit TTempFile(const AnsiString& Base) {
    Name = std::filesystem::temp_directory_path().string();
    if (Name.find('/') != AnsiString::npos) Sep = '/';
    if (!Name.empty() && Name.back() != Sep) Name += Sep;
    Name += Base;
    std::remove(Name.c_str());
  }
  ~TTempFile() { std::remove(Name.c_str()); }
};

AnsiString ReadAll(const AnsiString& FileName) {
  TFileStream f(FileName, fmOpenRead);
  AnsiString s(static_cast<std::size_t>(f.Size()), '\0');
  f.ReadBuffer(s.data(), static_cast<int>(s.size()));
  return s;
}

}  // namespace

TEST_CASE("a memory stream reads what was written, and grows") {
  TMemoryStream m;
  CHECK(m.Size() == 0);
  m.WriteBuffer("hello", 5);
  CHECK(m.Position() == 5);
  CHECK(m.Size() == 5);
  m.SetPosition(1);
  char buf[8] = {};
  CHECK(m.Read(buf, 8) == 4);
  CHECK(AnsiString(buf, 4) == "ello");
  CHECK(m.Read(buf, 8) == 0);
  CHECK(m.Seek(-2, soEnd) == 3);
  CHECK(m.Seek(1, soFromCurrent) == 4);
  CHECK(m.Seek(-1, soBeginning) == 4);  // before the start: refused
  m.Seek(7, soBeginning);
  m.WriteBuffer("!", 1);  // past the end: the gap is zeros
  CHECK(m.Size() == 8);
  CHECK(AnsiString(m.Memory(), 8) == AnsiString("hello\0\0!", 8));
  m.SetSize(2);
  CHECK(m.Position() == 2);
  CHECK(AnsiString(m.Memory(), 2) == "he");
  m.Clear();
  CHECK(m.Size() == 0);

  TStringStream s("abc");
  CHECK(s.Position() == 0);
  s.Seek(0, soEnd);
  s.WriteBuffer("de", 2);
  CHECK(s.DataString() == "abcde");
  TMemoryStream copy;
  CHECK(copy.CopyFrom(&s, 0) == 5);
  CHECK(AnsiString(copy.Memory(), 5) == "abcde");
}

TEST_CASE("ReadBuffer and WriteBuffer move everything or raise") {
  TStringStream s("abc");
  char buf[4];
  CHECK_THROWS_WITH_AS(s.ReadBuffer(buf, 4), "ストリームの読み込みエラー.", EReadError);
  s.SetPosition(0);
  s.ReadBuffer(buf, 3);
  CHECK(AnsiString(buf, 3) == "abc");
  s.ReadBuffer(buf, 0);  // nothing asked, nothing raised
  TTempFile file("pelmora_rtl_ro.bin");
  {
    TFileStream f(file.Name, fmCreate);
    f.WriteBuffer("x", 1);
  }
  TFileStream ro(file.Name, fmOpenRead);
  CHECK_THROWS_WITH_AS(ro.WriteBuffer("y", 1), "ストリームの書き込みエラー.", EWriteError);
}

TEST_CASE("file streams open, create and replace files as their mode says") {
  TTempFile file("pelmora_rtl_stream.txt");
  {
    TFileStream f(file.Name, fmCreate);
    f.WriteBuffer("first", 5);
  }
  CHECK(ReadAll(file.Name) == "first");
  {
    TFileStream f(file.Name, fmCreate);  // empties an existing file
    f.WriteBuffer("2", 1);
  }
  CHECK(ReadAll(file.Name) == "2");
  {
    TFileStream f(file.Name, fmOpenReadWrite | fmShareExclusive);  // keeps the contents
    f.Seek(0, soEnd);
    f.WriteBuffer("34", 2);
    f.SetPosition(0);
    char c = 0;
    f.ReadBuffer(&c, 1);
    CHECK(c == '2');
    f.WriteBuffer("x", 1);  // a write right after a read
    CHECK(f.Size() == 3);
  }
  CHECK(ReadAll(file.Name) == "2x4");
  {
    TFileStream f(file.Name, fmOpenWrite);
    f.SetSize(1);
    CHECK(f.Size() == 1);
  }
  CHECK(ReadAll(file.Name) == "2");
}

TEST_CASE("file errors name the file") {
  TTempFile missing("pelmora_no_such_file.txt");
  CHECK_THROWS_WITH_AS(TFileStream(missing.Name, fmOpenRead), ("ファイル " + missing.Name + " を開けません.").c_str(),
                       EFOpenError);
  CHECK_THROWS_AS(TFileStream(missing.Name, fmOpenReadWrite), EFOpenError);
  AnsiString bad = missing.Name + missing.Sep + "no" + missing.Sep + "x.txt";
  // No dot: the error box adds it.
  CHECK_THROWS_WITH_AS(TFileStream(bad, fmCreate), ("ファイル " + bad + " を作成できません").c_str(), EFCreateError);
  TStringList list;
  CHECK_THROWS_AS(list.LoadFromFile(missing.Name), EFOpenError);
}

TEST_CASE("files named in code page 932 and string lists on files") {
  TTempFile file("表示テスト.txt");
  TStringList list;
  list.Add("一行目");
  list.Add("second");
  list.SaveToFile(file.Name);
  CHECK(ReadAll(file.Name) == "一行目\r\nsecond\r\n");
  TStringList back;
  back.LoadFromFile(file.Name);
  CHECK(back.Equals(&list));
  TMemoryStream m;
  m.LoadFromFile(file.Name);
  CHECK(m.Size() == 16);
}
