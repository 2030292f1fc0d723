#pragma once
#include <windows.h>
#include <string.h>

#include <new>

#include "base/char_string.h"
#include "base/memory_file.h"

// A growable array whose element records are kept as raw bytes in a default
// CMemoryFile (at most 0x100000 bytes of records). Records move as plain
// byte copies, which is sound for CCharString: its record holds only
// pointers and constants, and its owner count lives in the shared buffer.
// Out-of-range indexes are refused: GetAt gives an empty value, SetAt and
// RemoveAt do nothing, InsertAt fails.
template <class T>
class Array {
public:
  Array() : pStore(NULL) {}
  Array(const Array& src) : pStore(NULL) { CopyFrom(src); }
  Array& operator=(const Array& src) {
    if (this != &src) {
      RemoveAll();
      CopyFrom(src);
    }
    return *this;
  }
  virtual ~Array() { RemoveAll(); }

  int GetCount() const {
    return pStore ? pStore->GetLength() / (int)sizeof(T) : 0;
  }

  // A copy that shares the element's buffer.
  T GetAt(int nIndex) const {
    if (!InRange(nIndex)) return T();
    return *Record(nIndex);
  }

  void SetAt(int nIndex, const T& value) {
    if (InRange(nIndex)) *Record(nIndex) = value;
  }

  BOOL InsertAt(int nIndex, const T& value) {
    int nCount = GetCount();
    if (nIndex < 0 || nIndex > nCount) return FALSE;
    if (pStore == NULL) {
      pStore = new (std::nothrow) CMemoryFile;
      if (pStore == NULL) return FALSE;
      pStore->Open(NULL, CGenericFile::modeReadWrite);
    }
    // Grow by one record; the bytes written only make room.
    pStore->Seek(nCount * (int)sizeof(T), CGenericFile::seekBegin);
    if (pStore->Write(&value, (int)sizeof(T)) != (int)sizeof(T)) return FALSE;
    char* pBase = pStore->GetBuffer(-1);
    if (nIndex < nCount) {
      memmove(pBase + (nIndex + 1) * sizeof(T), pBase + nIndex * sizeof(T), (nCount - nIndex) * sizeof(T));
    }
    new (pBase + nIndex * sizeof(T)) T(value);
    return TRUE;
  }

  int Add(const T& value) {
    int nIndex = GetCount();
    return InsertAt(nIndex, value) ? nIndex : -1;
  }

  void RemoveAt(int nIndex) {
    if (!InRange(nIndex)) return;
    int nCount = GetCount();
    alignas(T) char record[sizeof(T)];
    char* pBase = pStore->GetBuffer(-1);
    memcpy(record, pBase + nIndex * sizeof(T), sizeof(T));
    memmove(pBase + nIndex * sizeof(T), pBase + (nIndex + 1) * sizeof(T), (nCount - nIndex - 1) * sizeof(T));
    pStore->SetLength((nCount - 1) * (int)sizeof(T));
    reinterpret_cast<T*>(record)->~T();
  }

  void RemoveAll() {
    int nCount = GetCount();
    for (int i = 0; i < nCount; ++i) Record(i)->~T();
    delete pStore;
    pStore = NULL;
  }

protected:
  bool InRange(int nIndex) const { return nIndex >= 0 && nIndex < GetCount(); }
  T* Record(int nIndex) const {
    return reinterpret_cast<T*>(pStore->GetBuffer(-1) + nIndex * sizeof(T));
  }
  void CopyFrom(const Array& src) {
    int nCount = src.GetCount();
    for (int i = 0; i < nCount; ++i) Add(src.GetAt(i));
  }

  CMemoryFile* pStore;
};
