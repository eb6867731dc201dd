#include "Lists.h"

#include <algorithm>

#include "Filer.h"
#include "Streams.h"

namespace Vcl {

void ListIndexError(int Index) {
  throw EListError(FormatMsg("リストのインデックスが範囲を超えています (%s).", IntToStr(Index)));
}

namespace {

[[noreturn]] void SortedListError() { throw EListError("ソート済みリストでは操作できません."); }

// ASCII letters folded to lower case; trail bytes of double-byte
// characters are left alone (they include the ASCII letter range).
AnsiString FoldAscii(const AnsiString& S) {
  AnsiString r = S;
  for (std::size_t i = 0; i < r.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(r[i]);
    if (IsLeadByte(c)) {
      ++i;
      continue;
    }
    if (c >= 'A' && c <= 'Z') r[i] = static_cast<char>(c + 32);
  }
  return r;
}

}  // namespace

int AnsiCompareText(const AnsiString& S1, const AnsiString& S2) { return AnsiCompareStr(FoldAscii(S1), FoldAscii(S2)); }

// ---------------------------------------------------------------------------

VCL_PUBLISH(TList, TObject, Object) {}

void TList::Check(int Index) const {
  if (Index < 0 || Index >= Count()) ListIndexError(Index);
}

void* TList::Get(int Index) const {
  Check(Index);
  return FItems[Index];
}

void TList::Put(int Index, void* Item) {
  Check(Index);
  FItems[Index] = Item;
}

int TList::Add(void* Item) {
  FItems.push_back(Item);
  return Count() - 1;
}

void TList::Insert(int Index, void* Item) {
  if (Index < 0 || Index > Count()) ListIndexError(Index);
  FItems.insert(FItems.begin() + Index, Item);
}

void TList::Delete(int Index) {
  Check(Index);
  FItems.erase(FItems.begin() + Index);
}

int TList::Remove(void* Item) {
  int i = IndexOf(Item);
  if (i >= 0) Delete(i);
  return i;
}

void* TList::Extract(void* Item) {
  int i = IndexOf(Item);
  if (i < 0) return nullptr;
  Delete(i);
  return Item;
}

int TList::IndexOf(void* Item) const {
  auto it = std::find(FItems.begin(), FItems.end(), Item);
  return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

void TList::Exchange(int Index1, int Index2) {
  Check(Index1);
  Check(Index2);
  std::swap(FItems[Index1], FItems[Index2]);
}

void TList::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  Check(CurIndex);
  Check(NewIndex);
  void* item = FItems[CurIndex];
  FItems.erase(FItems.begin() + CurIndex);
  FItems.insert(FItems.begin() + NewIndex, item);
}

void TList::Pack() { FItems.erase(std::remove(FItems.begin(), FItems.end(), nullptr), FItems.end()); }

void TList::Sort(int (*Compare)(void*, void*)) {
  std::stable_sort(FItems.begin(), FItems.end(), [Compare](void* a, void* b) { return Compare(a, b) < 0; });
}

// ---------------------------------------------------------------------------

VCL_PUBLISH(TStrings, TPersistent, Object) {}

void TStrings::Put(int Index, const AnsiString& S) {
  TObject* obj = GetObject(Index);
  Delete(Index);
  InsertObject(Index, S, obj);
}

void TStrings::InsertObject(int Index, const AnsiString& S, TObject* AObject) {
  Insert(Index, S);
  PutObject(Index, AObject);
}

void TStrings::Exchange(int Index1, int Index2) {
  BeginUpdate();
  try {
    AnsiString s = Get(Index1);
    TObject* o = GetObject(Index1);
    Put(Index1, Get(Index2));
    PutObject(Index1, GetObject(Index2));
    Put(Index2, s);
    PutObject(Index2, o);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TStrings::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  BeginUpdate();
  try {
    AnsiString s = Get(CurIndex);
    TObject* o = GetObject(CurIndex);
    Delete(CurIndex);
    InsertObject(NewIndex, s, o);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

int TStrings::Add(const AnsiString& S) {
  int i = GetCount();
  Insert(i, S);
  return i;
}

int TStrings::AddObject(const AnsiString& S, TObject* AObject) {
  int i = Add(S);
  PutObject(i, AObject);
  return i;
}

void TStrings::AddStrings(TStrings* Strings) {
  if (!Strings) return;
  BeginUpdate();
  try {
    for (int i = 0; i < Strings->Count(); ++i) AddObject(Strings->Get(i), Strings->GetObject(i));
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

int TStrings::CompareStrings(const AnsiString& S1, const AnsiString& S2) const { return AnsiCompareText(S1, S2); }

int TStrings::IndexOf(const AnsiString& S) const {
  for (int i = 0; i < GetCount(); ++i)
    if (CompareStrings(Get(i), S) == 0) return i;
  return -1;
}

int TStrings::IndexOfObject(TObject* AObject) const {
  for (int i = 0; i < GetCount(); ++i)
    if (GetObject(i) == AObject) return i;
  return -1;
}

AnsiString TStrings::GetName(int Index) const {
  AnsiString s = Get(Index);
  std::size_t p = s.find('=');
  return p == AnsiString::npos ? AnsiString() : s.substr(0, p);
}

int TStrings::IndexOfName(const AnsiString& Name) const {
  for (int i = 0; i < GetCount(); ++i) {
    AnsiString s = Get(i);
    std::size_t p = s.find('=');
    if (p != AnsiString::npos && CompareStrings(s.substr(0, p), Name) == 0) return i;
  }
  return -1;
}

AnsiString TStrings::GetValue(const AnsiString& Name) const {
  int i = IndexOfName(Name);
  return i < 0 ? AnsiString() : Get(i).substr(Name.size() + 1);
}

void TStrings::SetValue(const AnsiString& Name, const AnsiString& Value) {
  int i = IndexOfName(Name);
  if (Value.empty()) {
    if (i >= 0) Delete(i);
  } else if (i < 0) {
    Add(Name + "=" + Value);
  } else {
    Put(i, Name + "=" + Value);
  }
}

AnsiString TStrings::GetText() const {
  AnsiString r;
  for (int i = 0; i < GetCount(); ++i) r += Get(i) + "\r\n";
  return r;
}

void TStrings::SetText(const AnsiString& Text) {
  BeginUpdate();
  try {
    Clear();
    std::size_t i = 0, n = Text.size();
    while (i < n) {
      // Line breaks are single-byte: CR and LF never occur inside a
      // double-byte character.
      std::size_t e = Text.find_first_of("\r\n", i);
      if (e == AnsiString::npos) e = n;
      Add(Text.substr(i, e - i));
      i = e;
      if (i < n && Text[i] == '\r') ++i;
      if (i < n && Text[i] == '\n') ++i;
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

bool TStrings::Equals(TStrings* Strings) const {
  if (!Strings || Strings->Count() != Count()) return false;
  for (int i = 0; i < Count(); ++i)
    if (Get(i) != Strings->Get(i) || GetObject(i) != Strings->GetObject(i)) return false;
  return true;
}

void TStrings::BeginUpdate() {
  if (FUpdateCount++ == 0) SetUpdateState(true);
}

void TStrings::EndUpdate() {
  if (FUpdateCount > 0 && --FUpdateCount == 0) SetUpdateState(false);
}

void TStrings::LoadFromStream(TStream* Stream) {
  long long size = Stream->Size() - Stream->Position();
  AnsiString text(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  if (!text.empty()) Stream->ReadBuffer(text.data(), static_cast<int>(text.size()));
  SetText(text);
}

void TStrings::SaveToStream(TStream* Stream) const {
  AnsiString text = GetText();
  if (!text.empty()) Stream->WriteBuffer(text.data(), static_cast<int>(text.size()));
}

void TStrings::LoadFromFile(const AnsiString& FileName) {
  TFileStream stream(FileName, fmOpenRead);
  LoadFromStream(&stream);
}

void TStrings::SaveToFile(const AnsiString& FileName) const {
  TFileStream stream(FileName, fmCreate);
  SaveToStream(&stream);
}

void TStrings::Assign(TPersistent* Source) {
  if (TStrings* src = dyn_cast<TStrings>(Source)) {
    if (src == this) return;
    BeginUpdate();
    try {
      Clear();
      AddStrings(src);
    } catch (...) {
      EndUpdate();
      throw;
    }
    EndUpdate();
    return;
  }
  TPersistent::Assign(Source);
}

void TStrings::DefineProperties(TFiler* Filer) {
  Filer->DefineProperty(
      "Strings", [this](TReader* R) { ReadData(R); }, [this](TWriter* W) { WriteData(W); }, Count() > 0);
}

void TStrings::ReadData(TReader* Reader) {
  Reader->ReadListBegin();
  BeginUpdate();
  try {
    Clear();
    while (!Reader->EndOfList()) Add(Reader->ReadString());
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
  Reader->ReadListEnd();
}

void TStrings::WriteData(TWriter* Writer) {
  Writer->WriteListBegin();
  for (int i = 0; i < Count(); ++i) Writer->WriteString(Get(i));
  Writer->WriteListEnd();
}

// ---------------------------------------------------------------------------

VCL_PUBLISH(TStringList, TStrings, Object) {}

void TStringList::Check(int Index) const {
  if (Index < 0 || Index >= GetCount()) ListIndexError(Index);
}

AnsiString TStringList::Get(int Index) const {
  Check(Index);
  return FList[Index].S;
}

void TStringList::Put(int Index, const AnsiString& S) {
  if (FSorted) SortedListError();
  Check(Index);
  Changing();
  FList[Index].S = S;
  Changed();
}

TObject* TStringList::GetObject(int Index) const {
  Check(Index);
  return FList[Index].Object;
}

void TStringList::PutObject(int Index, TObject* AObject) {
  Check(Index);
  Changing();
  FList[Index].Object = AObject;
  Changed();
}

void TStringList::Insert(int Index, const AnsiString& S) { InsertObject(Index, S, nullptr); }

void TStringList::InsertObject(int Index, const AnsiString& S, TObject* AObject) {
  if (FSorted) SortedListError();
  if (Index < 0 || Index > GetCount()) ListIndexError(Index);
  InsertItem(Index, S, AObject);
}

void TStringList::InsertItem(int Index, const AnsiString& S, TObject* AObject) {
  Changing();
  FList.insert(FList.begin() + Index, Entry{S, AObject});
  Changed();
}

int TStringList::Add(const AnsiString& S) { return AddObject(S, nullptr); }

int TStringList::AddObject(const AnsiString& S, TObject* AObject) {
  int index = GetCount();
  if (FSorted && Find(S, index)) {
    if (FDuplicates == dupIgnore) return index;
    if (FDuplicates == dupError) throw EListError("重複した文字列は許可されていません.");
  }
  InsertItem(index, S, AObject);
  return index;
}

void TStringList::Delete(int Index) {
  Check(Index);
  Changing();
  FList.erase(FList.begin() + Index);
  Changed();
}

void TStringList::Clear() {
  if (FList.empty()) return;
  Changing();
  FList.clear();
  Changed();
}

void TStringList::Exchange(int Index1, int Index2) {
  Check(Index1);
  Check(Index2);
  Changing();
  std::swap(FList[Index1], FList[Index2]);
  Changed();
}

int TStringList::CompareStrings(const AnsiString& S1, const AnsiString& S2) const {
  return FCaseSensitive ? AnsiCompareStr(S1, S2) : AnsiCompareText(S1, S2);
}

int TStringList::IndexOf(const AnsiString& S) const {
  if (!FSorted) return TStrings::IndexOf(S);
  int i = 0;
  return Find(S, i) ? i : -1;
}

bool TStringList::Find(const AnsiString& S, int& Index) const {
  bool found = false;
  int l = 0, h = GetCount() - 1;
  while (l <= h) {
    int i = (l + h) / 2;
    int c = CompareStrings(FList[i].S, S);
    if (c < 0) {
      l = i + 1;
    } else {
      h = i - 1;
      if (c == 0) {
        found = true;
        if (FDuplicates != dupAccept) l = i;
      }
    }
  }
  Index = l;
  return found;
}

void TStringList::QuickSort(int L, int R, int (*Compare)(TStringList*, int, int)) {
  int i, j;
  do {
    i = L, j = R;
    int p = (L + R) / 2;
    do {
      while (Compare(this, i, p) < 0) ++i;
      while (Compare(this, j, p) > 0) --j;
      if (i <= j) {
        std::swap(FList[i], FList[j]);
        if (p == i)
          p = j;
        else if (p == j)
          p = i;
        ++i, --j;
      }
    } while (i <= j);
    if (L < j) QuickSort(L, j, Compare);
    L = i;
  } while (i < R);
}

void TStringList::SortItems(int (*Compare)(TStringList*, int, int)) {
  if (GetCount() < 2) return;
  Changing();
  QuickSort(0, GetCount() - 1, Compare);
  Changed();
}

// A sorted list keeps its own order.
void TStringList::CustomSort(int (*Compare)(TStringList*, int, int)) {
  if (!FSorted) SortItems(Compare);
}

int TStringList::CompareItems(TStringList* List, int Index1, int Index2) {
  return List->CompareStrings(List->FList[Index1].S, List->FList[Index2].S);
}

void TStringList::Sort() { CustomSort(&CompareItems); }

void TStringList::SetSorted(bool Value) {
  if (FSorted == Value) return;
  if (Value) Sort();
  FSorted = Value;
}

void TStringList::SetCaseSensitive(bool Value) {
  if (FCaseSensitive == Value) return;
  FCaseSensitive = Value;
  if (FSorted) SortItems(&CompareItems);
}

void TStringList::SetUpdateState(bool Updating) {
  if (Updating)
    Changing();
  else
    Changed();
}

void TStringList::Changed() {
  if (UpdateCount() == 0) OnChange(this);
}

void TStringList::Changing() {
  if (UpdateCount() == 0) OnChanging(this);
}

}  // namespace Vcl
