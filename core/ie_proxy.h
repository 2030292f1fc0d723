#pragma once
// The proxy of the user's browser settings, as stored per user.
#include <windows.h>

#include "base/char_string.h"

constexpr char kIESettingsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

// TRUE when "ProxyEnable" is above 0 and "ProxyServer" is not empty; the
// text is then in sProxy as stored (emptied when the proxy is enabled but
// no text can be read). The key is opened with full access, so a key the
// user may only read gives FALSE.
BOOL GetIEProxy(CCharString& sProxy);
