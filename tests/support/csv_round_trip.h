#pragma once
// Random CSV round trips for the suite and tools/fuzz; each check returns "" when it held, else what differed.
#include <windows.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "base/csv_editer.h"

namespace csv_round_trip {

using Row = std::vector<std::string>;

// Pieces that matter: blanks, separators, quotes, "#", line breaks, trail bytes "\" (表, ソ) and "|" (ポ), lone leads.
inline std::string RandomField(std::mt19937& r, int maxPieces) {
  static const char* const kPieces[] = {"a", "Z", "0", " ", ",", "\"", "#", "\t", "[ ", "\r\n",
                                        "\n", "\r", "表", "ソ", "ポ", "\x95", "\x83"};
  std::string field;
  for (int n = static_cast<int>(r() % (maxPieces + 1)); n > 0; --n) field += kPieces[r() % 17];
  return field;
}

inline Row RandomRow(std::mt19937& r) {
  Row row(1 + r() % 8);
  for (std::string& field : row) field = RandomField(r, 12);
  return row;
}

// A last empty field adds nothing; from a file, CRs are dropped and a quoted line break comes back as CR LF.
inline Row Expected(Row row, bool fromFile) {
  if (!row.empty() && row.back().empty()) row.pop_back();
  for (std::string& field : row) {
    std::string read;
    for (char c : field) read += !fromFile ? std::string(1, c) : c == '\n' ? "\r\n" : c == '\r' ? "" : std::string(1, c);
    field = read;
  }
  return row;
}

inline std::string Describe(const Row& row) {
  std::string text;
  for (const std::string& field : row) text += "[" + field + "]";
  return text;
}

inline Row Fields(const CCSVRowIF& row) {
  Row fields;
  for (int i = 0; i < row.nFieldCount; ++i) fields.push_back(row.GetFieldPtr(i));
  return fields;
}

inline std::vector<const char*> Texts(const Row& row) {
  std::vector<const char*> texts;
  for (const std::string& field : row) texts.push_back(field.c_str());
  return texts;
}

// Formatting and splitting give the fields back.
inline std::string CheckRow(const Row& row) {
  CCSVRowIF csv;
  csv.SetRow(static_cast<int>(row.size()), Texts(row).data());
  if (Fields(csv) == Expected(row, false)) return "";
  return "row " + Describe(row) + " split as " + Describe(Fields(csv)) + " from " + std::string(csv.sRow);
}

// Rows saved as a document and loaded back: the same records and fields, nothing left unread.
inline std::string CheckDocument(const std::vector<Row>& rows, const char* path) {
  CCSVEditer doc, back;
  for (const Row& row : rows) {
    doc.nRow = doc.GetLineCount();
    doc.SetRow(static_cast<int>(row.size()), Texts(row).data());
  }
  if (!doc.Save(path) || !back.Load(path)) return "document not saved or loaded";
  if (back.GetLineCount() != static_cast<int>(rows.size()) || !back.restUnread.IsEmpty())
    return "document of " + std::to_string(rows.size()) + " rows loads as " + std::to_string(back.GetLineCount());
  for (const Row& row : rows)
    if (!back.ReadRow() || Fields(back) != Expected(row, true))
      return "document row " + Describe(row) + " loads as " + Describe(Fields(back));
  return "";
}

// Any file: what a load took and left unread comes back the same after a save and a second load.
inline std::string CheckReload(const std::string& bytes, const char* path, const char* copyPath) {
  HANDLE h = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(h);
  CCSVEditer first, second;
  if (!first.Load(path)) return "file not loaded";
  if (first.restUnread.IsLost()) return "";  // nothing to compare: its save is refused
  if (!first.Save(copyPath) || !second.Load(copyPath)) return "copy not saved or loaded";
  const CCharString &rest1 = first.restUnread.sBytes, &rest2 = second.restUnread.sBytes;
  bool same = first.GetLineCount() == second.GetLineCount() && rest1.GetLength() == rest2.GetLength() &&
              memcmp(rest1, rest2, rest1.GetLength()) == 0;
  for (int i = 0; same && i < first.GetLineCount(); ++i) same = first.GetLine(i) == second.GetLine(i);
  return same ? "" : "reload of " + std::to_string(bytes.size()) + " bytes differs";
}

}  // namespace csv_round_trip
