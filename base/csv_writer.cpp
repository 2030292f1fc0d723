#include "base/csv_writer.h"

#include <new>

#include "base/disk_file.h"

CCSVWriter::CCSVWriter(CStreamWriter* pStreamWriter) : CCSVFile(modeWrite), pStream(pStreamWriter) {}

CCSVWriter::~CCSVWriter() { Close(); }

BOOL CCSVWriter::WriteRow() {
  CStreamWriter* pSink = pStream ? pStream : pFileWriter.get();
  if (pSink == NULL) return FALSE;
  int nLength = sRow.GetLength();
  if (pSink->Write(sRow, nLength) != nLength) return FALSE;
  if (pSink->Write("\r\n", 2) != 2) return FALSE;
  ++nRow;
  return TRUE;
}

BOOL CCSVWriter::Open(const char* pszName) {
  Close();
  if (!CCSVFile::Open(pszName)) return FALSE;
  pFileWriter.reset(new (std::nothrow) CFileWriter(static_cast<CDiskFile*>(pInner)));
  return pFileWriter != nullptr;
}

BOOL CCSVWriter::Close() {
  pFileWriter.reset();  // it points into the disk file
  return CCSVFile::Close();
}
