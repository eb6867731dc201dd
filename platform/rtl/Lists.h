// Lists: TList of pointers, TStrings and TStringList of (string, object)
// entries. An index outside a list raises EListError.
#pragma once

#include <vector>

#include "Classes.h"

namespace Vcl {

class TStream;
class TReader;
class TWriter;

// Raises the list index error for Index.
[[noreturn]] void ListIndexError(int Index);

// An ordered list of untyped pointers; it owns none of them.
class TList : public TObject {
  VCL_CLASS(TList)
 public:
  TList() = default;

  int Count() const { return static_cast<int>(FItems.size()); }
  void* Get(int Index) const;
  void Put(int Index, void* Item);
  void* operator[](int Index) const { return Get(Index); }
  int Add(void* Item);
  void Insert(int Index, void* Item);  // Index may equal Count
  void Delete(int Index);
  // Removes the first occurrence; its former index, or -1.
  int Remove(void* Item);
  // Removes the first occurrence and returns it, or null.
  void* Extract(void* Item);
  int IndexOf(void* Item) const;
  void Exchange(int Index1, int Index2);
  void Move(int CurIndex, int NewIndex);
  void* First() const { return Get(0); }
  void* Last() const { return Get(Count() - 1); }
  void Clear() { FItems.clear(); }
  // Drops the null entries.
  void Pack();
  // Sorts with a comparison returning <0, 0, >0.
  void Sort(int (*Compare)(void* Item1, void* Item2));

 private:
  void Check(int Index) const;
  std::vector<void*> FItems;
};

// Abstract list of strings with an object attached to each. Derived
// classes provide storage through Get/Put/GetObject/PutObject/GetCount/
// Insert/Delete/Clear.
class TStrings : public TPersistent {
  VCL_CLASS(TStrings)
 public:
  virtual int GetCount() const = 0;
  virtual AnsiString Get(int Index) const = 0;
  virtual void Put(int Index, const AnsiString& S);
  virtual TObject* GetObject(int Index) const { return nullptr; }
  virtual void PutObject(int Index, TObject* AObject) {}
  virtual void Insert(int Index, const AnsiString& S) = 0;
  virtual void InsertObject(int Index, const AnsiString& S, TObject* AObject);
  virtual void Delete(int Index) = 0;
  virtual void Clear() = 0;
  // Swaps two entries, objects included.
  virtual void Exchange(int Index1, int Index2);
  virtual void Move(int CurIndex, int NewIndex);
  virtual int Add(const AnsiString& S);
  virtual int AddObject(const AnsiString& S, TObject* AObject);
  void Append(const AnsiString& S) { Add(S); }
  void AddStrings(TStrings* Strings);
  // First entry equal to S, ASCII case ignored for TStrings; -1 if none.
  virtual int IndexOf(const AnsiString& S) const;
  int IndexOfObject(TObject* AObject) const;
  // "Name=Value" entries.
  int IndexOfName(const AnsiString& Name) const;
  AnsiString GetName(int Index) const;
  AnsiString GetValue(const AnsiString& Name) const;
  void SetValue(const AnsiString& Name, const AnsiString& Value);

  int Count() const { return GetCount(); }
  AnsiString Strings(int Index) const { return Get(Index); }
  AnsiString operator[](int Index) const { return Get(Index); }
  TObject* Objects(int Index) const { return GetObject(Index); }

  // Each entry followed by CR LF.
  virtual AnsiString GetText() const;
  // Splits at CR LF, CR or LF; a final line break adds no empty entry;
  // objects are null.
  virtual void SetText(const AnsiString& Text);
  AnsiString Text() const { return GetText(); }

  // Entries' strings and objects equal, in order.
  bool Equals(TStrings* Strings) const;
  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }

  void LoadFromStream(TStream* Stream);
  void SaveToStream(TStream* Stream) const;
  void LoadFromFile(const AnsiString& FileName);
  void SaveToFile(const AnsiString& FileName) const;

  // Copies the strings and objects of another TStrings.
  void Assign(TPersistent* Source) override;
  // The entries travel in form resources as the defined property
  // "Strings": a list of strings.
  void DefineProperties(TFiler* Filer) override;

 protected:
  // Called on the first BeginUpdate and the last EndUpdate.
  virtual void SetUpdateState(bool Updating) {}
  virtual int CompareStrings(const AnsiString& S1, const AnsiString& S2) const;

 private:
  void ReadData(TReader* Reader);
  void WriteData(TWriter* Writer);
  int FUpdateCount = 0;
};

enum TDuplicates { dupIgnore, dupAccept, dupError };

// The string list: entries kept in a vector, optionally sorted.
class TStringList : public TStrings {
  VCL_CLASS(TStringList)
 public:
  TStringList() = default;

  int GetCount() const override { return static_cast<int>(FList.size()); }
  AnsiString Get(int Index) const override;
  void Put(int Index, const AnsiString& S) override;
  TObject* GetObject(int Index) const override;
  void PutObject(int Index, TObject* AObject) override;
  void Insert(int Index, const AnsiString& S) override;
  void InsertObject(int Index, const AnsiString& S, TObject* AObject) override;
  void Delete(int Index) override;
  void Clear() override;
  void Exchange(int Index1, int Index2) override;
  int Add(const AnsiString& S) override;
  int AddObject(const AnsiString& S, TObject* AObject) override;
  int IndexOf(const AnsiString& S) const override;
  // Binary search in a sorted list: true and the index when found, else
  // false and the index where S would go.
  bool Find(const AnsiString& S, int& Index) const;
  virtual void Sort();
  void CustomSort(int (*Compare)(TStringList* List, int Index1, int Index2));

  bool Sorted() const { return FSorted; }
  void SetSorted(bool Value);
  TDuplicates Duplicates() const { return FDuplicates; }
  void SetDuplicates(TDuplicates Value) { FDuplicates = Value; }
  bool CaseSensitive() const { return FCaseSensitive; }
  void SetCaseSensitive(bool Value);

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

 protected:
  void SetUpdateState(bool Updating) override;
  int CompareStrings(const AnsiString& S1, const AnsiString& S2) const override;
  virtual void Changed();
  virtual void Changing();

 private:
  struct Entry {
    AnsiString S;
    TObject* Object = nullptr;
  };
  void Check(int Index) const;
  void InsertItem(int Index, const AnsiString& S, TObject* AObject);
  void QuickSort(int L, int R, int (*Compare)(TStringList*, int, int));
  void SortItems(int (*Compare)(TStringList*, int, int));
  static int CompareItems(TStringList* List, int Index1, int Index2);

  std::vector<Entry> FList;
  bool FSorted = false;
  TDuplicates FDuplicates = dupIgnore;
  bool FCaseSensitive = false;
};

// Comparison of CP932 text with ASCII letters folded; double-byte
// characters compare by their bytes, never folded. -1, 0 or 1.
int AnsiCompareText(const AnsiString& S1, const AnsiString& S2);

}  // namespace Vcl
