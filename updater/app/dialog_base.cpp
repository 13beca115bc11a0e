#include "app/dialog_base.h"

namespace {

HINSTANCE g_hResources = nullptr;
const wchar_t kObjectProp[] = L"ZumiPictavo.CDialog";

// The dialog a DoModal on this thread is about to create.
thread_local CDialog* t_pCreating = nullptr;
thread_local HHOOK t_hCbtHook = nullptr;

class ScopedCbtHook {
 public:
  ScopedCbtHook(HOOKPROC proc, CDialog* pDialog)
      : m_previousHook(t_hCbtHook), m_previousDialog(t_pCreating) {
    t_pCreating = pDialog;
    t_hCbtHook = SetWindowsHookExW(WH_CBT, proc, nullptr, GetCurrentThreadId());
  }
  ~ScopedCbtHook() {
    if (t_hCbtHook) UnhookWindowsHookEx(t_hCbtHook);
    t_hCbtHook = m_previousHook;
    t_pCreating = m_previousDialog;
  }
  ScopedCbtHook(const ScopedCbtHook&) = delete;
  ScopedCbtHook& operator=(const ScopedCbtHook&) = delete;
  bool IsInstalled() const { return t_hCbtHook != nullptr; }

 private:
  HHOOK m_previousHook;
  CDialog* m_previousDialog;
};

}  // namespace

HINSTANCE GetResourceHandle() { return g_hResources ? g_hResources : GetModuleHandleW(nullptr); }

void SetResourceHandle(HINSTANCE hResources) { g_hResources = hResources; }

BOOL CFont::CreateFontIndirect(const LOGFONTW* pLogFont) {
  DeleteObject();
  m_hFont = ::CreateFontIndirectW(pLogFont);
  return m_hFont != nullptr;
}

BOOL CFont::DeleteObject() {
  if (!m_hFont) return FALSE;
  BOOL bDeleted = ::DeleteObject(m_hFont);
  m_hFont = nullptr;
  return bDeleted;
}

CDialog::CDialog(UINT nIDTemplate, HWND hParent) : m_nIDTemplate(nIDTemplate), m_hParent(hParent) {}

CDialog::~CDialog() {
  if (m_hWnd) DestroyWindow(m_hWnd);
}

INT_PTR CDialog::DoModal() {
  ScopedCbtHook hook(CbtHook, this);
  if (!hook.IsInstalled()) return -1;
  return DialogBoxParamW(GetResourceHandle(), MAKEINTRESOURCEW(m_nIDTemplate), m_hParent,
                         DialogProc, reinterpret_cast<LPARAM>(this));
}

void CDialog::EndDialog(int nResult) {
  if (m_hWnd) ::EndDialog(m_hWnd, nResult);
}

// The first window created during DoModal is the dialog itself; its controls
// come after it.
LRESULT CALLBACK CDialog::CbtHook(int nCode, WPARAM wParam, LPARAM lParam) {
  if (nCode == HCBT_CREATEWND && t_pCreating) {
    CDialog* pDialog = t_pCreating;
    t_pCreating = nullptr;
    pDialog->Attach(reinterpret_cast<HWND>(wParam));
  }
  return CallNextHookEx(nullptr, nCode, wParam, lParam);
}

void CDialog::Attach(HWND hwnd) {
  m_hWnd = hwnd;
  SetPropW(hwnd, kObjectProp, this);
  m_pfnSuper = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SubclassProc)));
}

void CDialog::Detach() {
  SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
  RemovePropW(m_hWnd, kObjectProp);
  m_hWnd = nullptr;
}

LRESULT CALLBACK CDialog::SubclassProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  auto* pDialog = static_cast<CDialog*>(GetPropW(hwnd, kObjectProp));
  if (!pDialog) return DefWindowProcW(hwnd, uMsg, wParam, lParam);
  if (uMsg == WM_NCDESTROY) {
    WNDPROC pfnSuper = pDialog->m_pfnSuper;
    pDialog->Detach();
    return CallWindowProcW(pfnSuper, hwnd, uMsg, wParam, lParam);
  }
  return pDialog->Dispatch(uMsg, wParam, lParam);
}

// Everything is handled in WindowProc; the dialog manager's own procedure
// only has to exist.
INT_PTR CALLBACK CDialog::DialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

LRESULT CDialog::Dispatch(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  CurrentMessage saved = m_current;
  m_current = {uMsg, wParam, lParam};
  LRESULT result = WindowProc(uMsg, wParam, lParam);
  m_current = saved;
  return result;
}

LRESULT CDialog::Default() {
  return CallWindowProcW(m_pfnSuper, m_hWnd, m_current.uMsg, m_current.wParam, m_current.lParam);
}

LRESULT CDialog::WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  switch (uMsg) {
    case WM_CREATE:
      return OnCreate(reinterpret_cast<LPCREATESTRUCTW>(lParam));
    case WM_INITDIALOG:
      return OnInitDialog();
    case WM_COMMAND:
      if (OnCommand(LOWORD(wParam), HIWORD(wParam))) return 0;
      break;
  }
  return Default();
}

int CDialog::OnCreate(LPCREATESTRUCTW) { return static_cast<int>(Default()); }

BOOL CDialog::OnInitDialog() { return TRUE; }

bool CDialog::OnCommand(WORD wID, WORD wNotifyCode) {
  if (wNotifyCode != BN_CLICKED) return false;
  switch (wID) {
    case IDOK:
      OnOK();
      return true;
    case IDCANCEL:
      OnCancel();
      return true;
  }
  return false;
}

void CDialog::OnOK() { EndDialog(IDOK); }

void CDialog::OnCancel() { EndDialog(IDCANCEL); }
