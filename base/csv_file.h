#pragma once
#include <windows.h>

#include "base/filter_file.h"

// A filter file over a disk file that it opens and owns itself.
class CCSVFile : public CFilterFile {
public:
  explicit CCSVFile(int nMode = modeRead);
  ~CCSVFile() override;

  using CFilterFile::Open;
  // Closes, then opens a new owned disk file with nOpenMode.
  virtual BOOL Open(const char* pszName);

  int nOpenMode;
};
