#pragma once
// The rule for a text the user types for the settings or the server list
// (server name, host or URL, proxy), applied where the dialogs and the panel
// take it: what the files could not give back unchanged is cleaned away.
#include "base/char_string.h"

// Long enough for any host name, address or URL of a time server; short
// enough that a list row of two such texts, every byte a doubled quote,
// still fits one line of the files (4095 bytes).
constexpr int kMaxEntryTextBytes = 1000;

// Blanks, tabs and line breaks at either end removed (as Trim does), a line
// break inside replaced by one blank, a lead byte without its trail byte (a
// character cut in two) dropped, and the text cut to kMaxEntryTextBytes on
// a character boundary.
CCharString CleanEntryText(const char* pszText);
