#include "wl/app.h"

#include "wl/window.h"
#include "wl/window_map.h"
#include "wl/window_procs.h"

CWLApp::CWLApp()
    : bWindowPreTranslate(0),
      hInstance(GetModuleHandleA(nullptr)),
      nCmdShow(SW_SHOWDEFAULT),
      hAccel(nullptr),
      nExitCode(0),
      pMainWnd(nullptr),
      msgCur(),
      pDlgInCreation(nullptr),
      pPrevApp(GetCurrentApp()) {
  TlsSetValue(GetTlsSlot(), this);
  AcquireWindowAtom();
}

CWLApp::~CWLApp() {
  ReleaseWindowAtom();
  if (GetCurrentApp() == this) TlsSetValue(GetTlsSlot(), pPrevApp);
}

CWLApp* GetCurrentApp() {
  DWORD dwSlot = CWLThread::GetTlsSlot();
  if (dwSlot == TLS_OUT_OF_INDEXES) return nullptr;
  return static_cast<CWLApp*>(TlsGetValue(dwSlot));
}

int CWLApp::ExitInstance() { return nExitCode; }

BOOL CWLApp::GetWindowClassInfo(WNDCLASSEXA* pClass) {
  ZeroMemory(pClass, sizeof(*pClass));
  pClass->cbSize = sizeof(WNDCLASSEXA);
  pClass->lpfnWndProc = WLWindowProc;
  pClass->hInstance = hInstance;
  pClass->hCursor = LoadCursorA(nullptr, IDC_ARROW);
  pClass->hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  pClass->lpszClassName = "WLBASE_WINDOW_CLASS";
  return TRUE;
}

int CWLApp::Run() {
  while (PumpMessage()) {
    MSG msgPeek;
    for (LONG lCount = 0; !PeekMessageA(&msgPeek, nullptr, 0, 0, PM_NOREMOVE); ++lCount) {
      if (!OnIdle(lCount)) break;
    }
  }
  return static_cast<int>(msgCur.wParam);
}

BOOL CWLApp::PumpMessage() {
  // -1 (an error) ends the loop as well rather than spinning on it.
  if (GetMessageA(&msgCur, nullptr, 0, 0) <= 0) return FALSE;
  if (!PreTranslateMessage(&msgCur)) {
    TranslateMessage(&msgCur);
    DispatchMessageA(&msgCur);
  }
  return TRUE;
}

BOOL CWLApp::PreTranslateMessage(MSG* pMsg) {
  if (bWindowPreTranslate) {
    for (HWND h = pMsg->hwnd; h != nullptr; h = GetParent(h)) {
      CWLBaseWindow* pWindow = GetWindowObject(h);
      if (pWindow != nullptr && pWindow->PreTranslateMessage(pMsg)) return TRUE;
    }
  }
  for (HWND h = pMsg->hwnd; h != nullptr; h = GetParent(h)) {
    CWLWindow* pWindow = dynamic_cast<CWLWindow*>(GetWindowObject(h));
    if (pWindow != nullptr && pWindow->bDialogNavigation && IsDialogMessageA(h, pMsg)) return TRUE;
  }
  // Commands go to the top-level window: a focused child control would
  // swallow them.
  if (hAccel != nullptr && pMsg->hwnd != nullptr &&
      TranslateAcceleratorA(GetAncestor(pMsg->hwnd, GA_ROOT), hAccel, pMsg)) {
    return TRUE;
  }
  return FALSE;
}

BOOL CWLApp::OnIdle(LONG) { return 0; }

CCharString CWLApp::LoadResString(UINT nId, int nMaxLength) {
  int nSize = (nMaxLength > 0 ? nMaxLength : 513) + 1;
  CCharString sText;
  char* pBuffer = sText.GetBuffer(nSize);
  if (pBuffer == nullptr) return sText;
  int nLength = LoadStringA(hInstance, nId, pBuffer, nSize);
  sText.ReleaseBuffer(nLength > 0 ? nLength : 0);
  return sText;
}

HBITMAP CWLApp::LoadBitmapA(UINT nId) { return ::LoadBitmapA(hInstance, MAKEINTRESOURCEA(nId)); }
