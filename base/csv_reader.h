#pragma once
#include <windows.h>

#include <memory>

#include "base/cache_reader.h"
#include "base/csv_file.h"
#include "base/csv_row.h"
#include "base/file_reader.h"
#include "base/stream_reader.h"

// Reads CSV records from a stream given at construction (not owned), or,
// without one, from the file opened with Open (owned by the CCSVFile part).
class CCSVReader : public CCSVRowIF, public CCSVFile {
public:
  explicit CCSVReader(CStreamReader* pStreamReader = NULL);
  ~CCSVReader() override;

  BOOL ReadRow() override;
  BOOL IsEOF() const override;
  BOOL ReadLine(CCharString& sOut) override;
  using CCSVFile::Open;
  BOOL Open(const char* pszName) override;
  BOOL Close() override;

  CStreamReader* pStream;

private:
  CStreamReader* Source() const;

  // The reading chain over the opened file: file reader, then a read cache
  // (lines are read one byte per call).
  std::unique_ptr<CFileReader> pFileReader;
  std::unique_ptr<CCacheReader> pFileCache;
};
