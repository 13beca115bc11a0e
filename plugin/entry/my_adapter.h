// CMyAdapter: the concrete instance object. It keeps the hosted control's
// interface pointer and the member tables through which page script reaches
// the control.
#pragma once

#include <wrl/client.h>

#include <map>
#include <memory>

#include "entry/np_members.h"
#include "entry/plugin.h"

class CMyAdapter : public CPlugin {
 public:
  explicit CMyAdapter(NPP instance);
  ~CMyAdapter() override;

  bool HasMethod(NPIdentifier name) override;
  bool HasProperty(NPIdentifier name) override;
  bool GetProperty(NPIdentifier name, NPVariant* result) override;
  bool SetProperty(NPIdentifier name, const NPVariant* value) override;
  bool Invoke(NPIdentifier name, const NPVariant* args, uint32_t argCount,
              NPVariant* result) override;
  void ResizeHost(int32_t width, int32_t height) override;
  bool OnAttach() override { return true; }
  void OnDetach() override;
  void OnPluginMessage(WPARAM wParam, LPARAM lParam) override;

  // Creates the control in a host window over the plug-in window; S_OK at
  // once when it exists, E_FAIL without a live plug-in window. A failed
  // attempt leaves no host window behind.
  HRESULT CreateAxControl();

 private:
  void FillTables();
  // Has the host window's container create the control and keeps its
  // IPictavoEx.
  HRESULT HostControl();
  void DestroyHostWindow();

  Microsoft::WRL::ComPtr<IPictavoEx> m_pControl;
  HWND m_hHostWnd = nullptr;
  char m_szReserved1[256] = {};
  char m_szReserved2[256] = {};
  std::map<NPIdentifier, std::unique_ptr<npMethod>> methodTable;
  std::map<NPIdentifier, std::unique_ptr<npProperty>> propertyTable;
};
