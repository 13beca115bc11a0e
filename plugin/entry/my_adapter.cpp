#include "entry/my_adapter.h"

#include "entry/browser_funcs.h"
#include "entry/control_methods.h"

CMyAdapter::CMyAdapter(NPP instance) : CPlugin(instance) { FillTables(); }

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
  if (!IsWindow(m_hHostWnd)) return;
  RECT rect = {};
  GetWindowRect(m_hHostWnd, &rect);
  if (rect.right - rect.left == width && rect.bottom - rect.top == height) return;
  SetWindowPos(m_hHostWnd, nullptr, 0, 0, width, height, SWP_NOMOVE);
}

void CMyAdapter::OnDetach() {
  m_pControl.Reset();
  if (IsWindow(m_hHostWnd)) {
    DestroyWindow(m_hHostWnd);
    m_hHostWnd = nullptr;
  }
}

void CMyAdapter::OnPluginMessage(WPARAM wParam, LPARAM) {
  if (wParam == 1) CreateAxControl();
}

HRESULT CMyAdapter::CreateAxControl() {
  if (!IsWindow(WindowHandle())) return E_FAIL;
  if (m_pControl) return S_OK;
  // The ActiveX host window that creates the control is not part of this
  // module yet; creation fails quietly until it is.
  return E_NOTIMPL;
}
