#pragma once
#include <windows.h>

#include "base/char_string.h"
#include "client/sys/user_prompt.h"

// The notice shown before an elevation prompt: prefix, the fixed request
// naming program, and "\n" + note when a note is given (note may be NULL).
CCharString ElevationNoticeText(const char* prefix, const char* program, const char* note);

// The client's rule: a process with full rights goes on without asking;
// otherwise the notice is asked as a Yes/No question through prompt and only
// Yes goes on. Without a prompt nobody can agree: FALSE.
BOOL ConfirmElevation(CUserPrompt* prompt, const char* prefix, const char* program,
                      const char* note);
