#pragma once
// Notifications that a parent receives about one of its controls are offered
// to that control first, as the message + kReflectBase.
#include <windows.h>

enum { kReflectBase = 0x80C8 };

// The control the parent's message concerns, or nullptr.
HWND FindReflectTarget(HWND hParent, UINT uMsg, WPARAM wParam, LPARAM lParam);
// Sends the reflected message; TRUE when the control answered non-zero.
BOOL ReflectToControl(HWND hParent, UINT uMsg, WPARAM wParam, LPARAM lParam);
