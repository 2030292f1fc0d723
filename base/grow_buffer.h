#pragma once
#include <windows.h>

// A scratch block that only grows. Its content is not kept across a growth.
class CGrowBuffer {
public:
  CGrowBuffer();
  virtual ~CGrowBuffer();

  virtual char* GetData();
  virtual BOOL Reserve(int nNewSize);
  virtual void Free();
  virtual int GetSize() const;

  int nSize;
  char* pData;

private:
  CGrowBuffer(const CGrowBuffer&) = delete;
  CGrowBuffer& operator=(const CGrowBuffer&) = delete;
};
