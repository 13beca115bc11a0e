#include "entry/my_adapter.h"

#include "control/ax_host.h"
#include "entry/browser_funcs.h"
#include "entry/control_methods.h"
#include "entry/module.h"

namespace {

constexpr DWORD kHostStyle = WS_CHILD | WS_VISIBLE;
constexpr DWORD kHostClipStyles = WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
const wchar_t kHostWindowText[] = L"FireFox-m_ZumiPictavoExContainer";

}  // namespace

CMyAdapter::CMyAdapter(NPP instance) : CPlugin(instance) {
  axhost::RegisterHostClasses(PluginModule());
  FillTables();
}

CMyAdapter::~CMyAdapter() {
  methodTable.clear();
  propertyTable.clear();
  m_pControl.Reset();
}

void CMyAdapter::FillTables() {
  methodTable[NPN_GetStringIdentifier("CreateAX")] = std::make_unique<npCreateAxControl>(this);
  IPictavoEx** control = m_pControl.GetAddressOf();
  CreateBagProperties(control, [this](const char* name, std::unique_ptr<npProperty> entry) {
    propertyTable[NPN_GetStringIdentifier(name)] = std::move(entry);
  });
  CreateControlMethods(control, [this](const char* name, std::unique_ptr<npMethod> entry) {
    methodTable[NPN_GetStringIdentifier(name)] = std::move(entry);
  });
}

bool CMyAdapter::HasMethod(NPIdentifier name) { return methodTable.count(name) != 0; }

bool CMyAdapter::HasProperty(NPIdentifier name) { return propertyTable.count(name) != 0; }

bool CMyAdapter::GetProperty(NPIdentifier name, NPVariant* result) {
  if (result) VOID_TO_NPVARIANT(*result);
  auto entry = propertyTable.find(name);
  if (entry == propertyTable.end() || !entry->second) return false;
  return entry->second->Get(result);
}

bool CMyAdapter::SetProperty(NPIdentifier name, const NPVariant* value) {
  auto entry = propertyTable.find(name);
  if (entry == propertyTable.end() || !entry->second) return false;
  return entry->second->Set(value);
}

bool CMyAdapter::Invoke(NPIdentifier name, const NPVariant* args, uint32_t argCount,
                        NPVariant* result) {
  if (result) VOID_TO_NPVARIANT(*result);
  auto entry = methodTable.find(name);
  if (entry == methodTable.end() || !entry->second) return false;
  return entry->second->Invoke(args, argCount, result);
}

void CMyAdapter::ResizeHost(int32_t width, int32_t height) {
  axhost::ResizeHostWindow(m_hHostWnd, width, height);
}

// The control's last reference from this instance goes before the host window,
// whose destruction makes the container deactivate, close and release it.
// This instance connects nothing of its own to the control, so once both are
// gone no call from the control can reach it.
void CMyAdapter::OnDetach() {
  m_pControl.Reset();
  DestroyHostWindow();
}

void CMyAdapter::OnPluginMessage(WPARAM wParam, LPARAM) {
  if (wParam == 1) CreateAxControl();
}

void CMyAdapter::DestroyHostWindow() {
  if (IsWindow(m_hHostWnd)) DestroyWindow(m_hHostWnd);
  m_hHostWnd = nullptr;
}

HRESULT CMyAdapter::CreateAxControl() {
  const HWND pluginWindow = WindowHandle();
  if (!IsWindow(pluginWindow)) return E_FAIL;
  if (m_pControl) return S_OK;

  RECT client = {};
  GetClientRect(pluginWindow, &client);
  axhost::RegisterHostClasses(PluginModule());
  m_hHostWnd = axhost::CreateHostWindow(pluginWindow, client, kHostStyle, 0, nullptr,
                                        PluginModule());
  if (!m_hHostWnd) return E_POINTER;
  SetWindowLongW(m_hHostWnd, GWL_STYLE, GetWindowLongW(m_hHostWnd, GWL_STYLE) | kHostClipStyles);
  SetWindowTextW(m_hHostWnd, kHostWindowText);

  HRESULT hr = HostControl();
  if (SUCCEEDED(hr) && !m_pControl) hr = E_NOINTERFACE;
  // A host window without a control serves nothing: it goes at once, taking
  // whatever the container got of the control with it, so a later attempt
  // starts from a clean plug-in window.
  if (FAILED(hr)) {
    m_pControl.Reset();
    DestroyHostWindow();
  }
  return hr;
}

HRESULT CMyAdapter::HostControl() {
  Microsoft::WRL::ComPtr<IAxWinHostWindow> container;
  HRESULT hr = axhost::GetHost(m_hHostWnd, &container);
  if (FAILED(hr)) return hr;
  LPOLESTR clsid = nullptr;
  hr = StringFromCLSID(CLSID_PictavoEx, &clsid);
  if (FAILED(hr)) return hr;
  hr = container->CreateControl(clsid, m_hHostWnd, nullptr);
  CoTaskMemFree(clsid);
  if (FAILED(hr)) return hr;
  return axhost::QueryControl(m_hHostWnd, IID_IPictavoEx,
                              reinterpret_cast<void**>(m_pControl.ReleaseAndGetAddressOf()));
}
