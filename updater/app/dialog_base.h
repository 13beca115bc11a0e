// The small dialog and font layer the update service uses in place of a
// framework: a modal dialog built from a dialog resource whose messages reach
// member handlers, and an owned GDI font.
#pragma once

#include <windows.h>

// The module whose resources dialogs and images come from; the program's own
// module unless set otherwise.
HINSTANCE GetResourceHandle();
void SetResourceHandle(HINSTANCE hResources);

// An owned GDI font.
class CFont {
 public:
  CFont() = default;
  ~CFont() { DeleteObject(); }
  CFont(const CFont&) = delete;
  CFont& operator=(const CFont&) = delete;

  BOOL CreateFontIndirect(const LOGFONTW* pLogFont);
  BOOL DeleteObject();
  HFONT GetSafeHandle() const { return m_hFont; }
  operator HFONT() const { return m_hFont; }

 private:
  HFONT m_hFont = nullptr;
};

// A modal dialog from a dialog template. The window is subclassed as it is
// created, so the object sees every message from WM_NCCREATE on, WM_CREATE
// included. Enter and Escape work as in any dialog.
class CDialog {
 public:
  CDialog(UINT nIDTemplate, HWND hParent);
  virtual ~CDialog();
  CDialog(const CDialog&) = delete;
  CDialog& operator=(const CDialog&) = delete;

  // Shows the dialog and returns the id that ended it, or -1 if it could
  // not be created.
  virtual INT_PTR DoModal();
  void EndDialog(int nResult);
  HWND GetSafeHwnd() const { return m_hWnd; }

  HWND m_hWnd = nullptr;

 protected:
  // Dispatches a message to the handlers below; derived dialogs extend it
  // and pass what they do not handle on to this one.
  virtual LRESULT WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam);
  // The window's own processing of the message being handled.
  LRESULT Default();

  virtual int OnCreate(LPCREATESTRUCTW lpCreateStruct);
  virtual BOOL OnInitDialog();
  // Handles WM_COMMAND; true when the command was handled.
  virtual bool OnCommand(WORD wID, WORD wNotifyCode);
  virtual void OnOK();
  virtual void OnCancel();

 private:
  struct CurrentMessage {
    UINT uMsg;
    WPARAM wParam;
    LPARAM lParam;
  };

  static LRESULT CALLBACK CbtHook(int nCode, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
  static INT_PTR CALLBACK DialogProc(HWND, UINT, WPARAM, LPARAM);
  void Attach(HWND hwnd);
  void Detach();
  LRESULT Dispatch(UINT uMsg, WPARAM wParam, LPARAM lParam);

  UINT m_nIDTemplate;
  HWND m_hParent;
  WNDPROC m_pfnSuper = nullptr;
  CurrentMessage m_current{};
};
