#pragma once
#include <windows.h>

#include <memory>

#include "base/csv_file.h"
#include "base/csv_row.h"
#include "base/file_writer.h"
#include "base/stream_writer.h"

// Writes CSV rows, each followed by CR LF, to a stream given at construction
// (not owned), or, without one, to the file opened with Open (created or
// emptied; owned by the CCSVFile part).
class CCSVWriter : public CCSVRowIF, public CCSVFile {
public:
  explicit CCSVWriter(CStreamWriter* pStreamWriter = NULL);
  ~CCSVWriter() override;

  // sRow and CR LF, each written whole; then nRow + 1. FALSE on a short write.
  virtual BOOL WriteRow();
  using CCSVFile::Open;
  BOOL Open(const char* pszName) override;
  BOOL Close() override;

  CStreamWriter* pStream;

private:
  std::unique_ptr<CFileWriter> pFileWriter;
};
