#include "client/action_log.h"

CActionLog::CActionLog(CLogListView* view, const char* dataFolder)
    : pView(view), nOKCount(0), nNGCount(0), bSaveLog(FALSE), nMaxLogItems(200) {
  sLogPath = CCharString(dataFolder) + "ntpaccess.log";
}

CActionLog::~CActionLog() {}

int CActionLog::AddLog(const CCharString& text, int kind) {
  std::unique_ptr<NTP_ACTIONLOG_INFO> entry(new NTP_ACTIONLOG_INFO);
  entry->nKind = kind;
  entry->sText = text;
  entry->nImage = kind == 0 ? 1 : 0;
  if (kind != 0) {
    ++nOKCount;
  } else {
    ++nNGCount;
  }
  if (bSaveLog) SaveLine(text);
  if (!pView) return -1;
  if (pView->GetCount() > nMaxLogItems) pView->DeleteItem(0);
  int index = pView->AddItem(entry.get());
  if (index >= 0) entry.release();
  return index;
}

void CActionLog::SaveLine(const CCharString& text) {
  // One attempt to open: while the file cannot be opened, lines are skipped.
  if (!pWriter) {
    pWriter.reset(new CFileWriter);
    pWriter->OpenAppend(sLogPath);
  }
  if (!pWriter->IsOpen()) return;
  // One write per line, so that a reader never sees half of it.
  CCharString line = text + "\r\n";
  pWriter->Write(static_cast<const char*>(line), line.GetLength());
}
