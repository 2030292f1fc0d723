#pragma once
#include <windows.h>

#include "base/char_string.h"
#include "base/file_writer.h"

// Writes a file through a temporary file in the same folder, which takes the
// file's place in one step only when Commit succeeds. Without Commit, or when
// anything fails, the old file stays as it was and the temporary file is
// removed: an interruption leaves the old file or the new one, never a part.
class CReplacingFileWriter : public CFileWriter {
public:
  CReplacingFileWriter();
  ~CReplacingFileWriter() override;

  // Creates the temporary file for pszName (pszName itself is not touched).
  BOOL Create(const char* pszName) override;
  // Flushes and closes the temporary file, then moves it over the target.
  virtual BOOL Commit();
  // Closes and removes the temporary file; the target stays unchanged.
  virtual void Discard();

  CCharString sTarget;
  CCharString sTempName;
};
