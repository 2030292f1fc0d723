#pragma once
// Command strings carry a help text (tooltip, status bar), optionally
// followed by "\n" and a short button caption. They split at the last "\n",
// so a help text may span lines; a "\n" that is the first byte is no split.
#include "base/char_string.h"

// Everything before the last "\n"; the whole text without a split.
CCharString GetCommandHelpText(const char* pszText);
// Everything after the last "\n"; empty without one.
CCharString GetCommandCaption(const char* pszText);
