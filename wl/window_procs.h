#pragma once
// The window procedure of every framework window class and subclassed
// control, and the dialog procedure of every framework dialog.
#include <windows.h>

LRESULT CALLBACK WLWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK WLDialogProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
