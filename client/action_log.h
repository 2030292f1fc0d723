#pragma once
// The log logic of the run-log list: entries with their kinds, the OK/NG
// counters, at most 201 entries kept, and "ntpaccess.log" in the data folder
// for the lines produced while bSaveLog is on.
#include <memory>

#include "base/char_string.h"
#include "base/file_writer.h"
#include "client/action_log_entry.h"

// What the list control gives the log: its items own their entries.
class CLogListView {
 public:
  virtual ~CLogListView() {}
  virtual int GetCount() = 0;
  // Removes the item and frees its entry.
  virtual void DeleteItem(int index) = 0;
  // Appends an item that owns the entry from then on; the index, or -1 (the
  // caller still owns the entry then).
  virtual int AddItem(NTP_ACTIONLOG_INFO* entry) = 0;
  virtual void SetSelection(int index) = 0;
};

class CActionLog {
 public:
  CActionLog(CLogListView* view, const char* dataFolder);
  virtual ~CActionLog();

  // The list index of the new entry (-1 when the list refused it).
  int AddLog(const CCharString& text, int kind);

  CLogListView* pView;
  CCharString sLogPath;
  int nOKCount;
  int nNGCount;
  BOOL bSaveLog;
  int nMaxLogItems;

 private:
  void SaveLine(const CCharString& text);

  std::unique_ptr<CFileWriter> pWriter;  // made on the first saved line
};
