// The fixture control DLL as tests see it: registered in the prefix, with its
// journal and test controls bound from its exports.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>

class FixtureControl {
 public:
  // Loads ZumiPictavoEx.dll from beside the test program and registers it.
  FixtureControl();
  ~FixtureControl();
  bool Ready() const { return m_ready; }
  HRESULT RegisterResult() const { return m_registerResult; }

  std::wstring Journal() const;
  void ClearJournal() const { m_clear(); }
  void Reset() const { m_reset(); }
  void SetResult(int position, HRESULT hr) const { m_setResult(position, hr); }
  void SetOutLong(int position, long value) const { m_setOutLong(position, value); }
  void SetOutString(int position, const wchar_t* text, int length) const {
    m_setOutString(position, text, length);
  }
  int LiveControls() const { return m_liveControls(); }
  HWND ControlWindow() const { return m_controlWindow(); }
  int ConnectionCount() const { return m_connectionCount(); }
  HRESULT FireEvent(DISPID id, const VARIANT* args, int count) const {
    return m_fireEvent(id, args, count);
  }

 private:
  HMODULE m_module = nullptr;
  bool m_ready = false;
  HRESULT m_registerResult = E_FAIL;
  int (*m_read)(wchar_t*, int) = nullptr;
  void (*m_clear)() = nullptr;
  void (*m_reset)() = nullptr;
  void (*m_setResult)(int, HRESULT) = nullptr;
  void (*m_setOutLong)(int, long) = nullptr;
  void (*m_setOutString)(int, const wchar_t*, int) = nullptr;
  int (*m_liveControls)() = nullptr;
  HWND (*m_controlWindow)() = nullptr;
  int (*m_connectionCount)() = nullptr;
  HRESULT (*m_fireEvent)(DISPID, const VARIANT*, int) = nullptr;
};
