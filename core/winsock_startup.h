#pragma once
// Process-wide start and stop of the socket library (Winsock 1.1). Not
// reference-counted: one start, one stop.
#include <winsock.h>

// TRUE at once when already started; otherwise WSAStartup with
// MAKEWORD(major, minor).
BOOL StartupWinsock(int major, int minor);
// TRUE when the library was started and is now stopped.
BOOL CleanupWinsock();
BOOL IsWinsockStarted();
// The start-up information of the running library (zeros when not started).
const WSADATA& GetWinsockData();
