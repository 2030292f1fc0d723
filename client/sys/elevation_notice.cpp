#include "client/sys/elevation_notice.h"

#include "client/sys/full_rights.h"

CCharString ElevationNoticeText(const char* prefix, const char* program, const char* note) {
  CCharString text(prefix);
  text += "管理者権限が必要です。\n\n次のユーザアカウント制御の確認画面では\n「";
  text += program;
  text += "」の実行に[許可]を与えてください。";
  if (note) {
    text += "\n";
    text += note;
  }
  return text;
}

BOOL ConfirmElevation(CUserPrompt* prompt, const char* prefix, const char* program,
                      const char* note) {
  if (IsFullRightsProcess()) return TRUE;
  if (!prompt) return FALSE;
  CCharString text = ElevationNoticeText(prefix, program, note);
  return prompt->MessageBox(text, MB_YESNO) == IDYES ? TRUE : FALSE;
}
