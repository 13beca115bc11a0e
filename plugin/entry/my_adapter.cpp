#include "entry/my_adapter.h"

#include "control/ax_host.h"
#include "entry/browser_funcs.h"
#include "entry/control_methods.h"
#include "entry/module.h"
#include "entry/np_convert.h"
#include "owners/failure.h"
#include "support/write_log.h"

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
  DisconnectEvents();
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

// Control calls may fire events, and so run page script, before they return.
bool CMyAdapter::SetProperty(NPIdentifier name, const NPVariant* value) {
  auto entry = propertyTable.find(name);
  if (entry == propertyTable.end() || !entry->second) return false;
  BusyScope busy(*this);
  return entry->second->Set(value);
}

bool CMyAdapter::Invoke(NPIdentifier name, const NPVariant* args, uint32_t argCount,
                        NPVariant* result) {
  if (result) VOID_TO_NPVARIANT(*result);
  auto entry = methodTable.find(name);
  if (entry == methodTable.end() || !entry->second) return false;
  BusyScope busy(*this);
  return entry->second->Invoke(args, argCount, result);
}

void CMyAdapter::ResizeHost(int32_t width, int32_t height) {
  axhost::ResizeHostWindow(m_hHostWnd, width, height);
}

// The sink leaves the control's connection point first, so nothing the
// control fires from now on reaches this instance. Then the control's last
// reference from this instance goes before the host window, whose
// destruction makes the container deactivate, close and release it.
void CMyAdapter::OnDetach() {
  DisconnectEvents();
  m_pControl.Reset();
  DestroyHostWindow();
}

void CMyAdapter::DisconnectEvents() {
  // The connection counts as ended whatever the control answers.
  if (m_pControl) LOG_IF_FAILED(DispEventUnadvise(m_pControl.Get()));
  m_typeInfo.Clear();
}

void CMyAdapter::OnPluginMessage(WPARAM wParam, LPARAM) {
  if (wParam != 1) return;
  BusyScope busy(*this);
  CreateAxControl();
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
  m_hHostWnd =
      axhost::CreateHostWindow(pluginWindow, client, kHostStyle, 0, nullptr, PluginModule());
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
    return hr;
  }
  // A control without a working connection point still serves its methods:
  // the sink then stays unconnected and the result is the creation's.
  LOG_IF_FAILED(DispEventAdvise(m_pControl.Get()));
  return hr;
}

HRESULT CMyAdapter::HostControl() {
  Microsoft::WRL::ComPtr<IAxWinHostWindow> container;
  RETURN_IF_FAILED(axhost::GetHost(m_hHostWnd, &container));
  LPOLESTR clsid = nullptr;
  RETURN_IF_FAILED(StringFromCLSID(CLSID_PictavoEx, &clsid));
  const HRESULT hr = container->CreateControl(clsid, m_hHostWnd, nullptr);
  CoTaskMemFree(clsid);
  RETURN_IF_FAILED(hr);
  return axhost::QueryControl(m_hHostWnd, IID_IPictavoEx,
                              reinterpret_cast<void**>(m_pControl.ReleaseAndGetAddressOf()));
}

// --- Events -----------------------------------------------------------------

namespace {

// The script values of one event; their strings go back to the browser.
class EventValues {
 public:
  EventValues() = default;
  ~EventValues() {
    for (uint32_t i = 0; i < m_count; ++i) NPN_ReleaseVariantValue(&m_values[i]);
  }
  EventValues(const EventValues&) = delete;
  EventValues& operator=(const EventValues&) = delete;

  void AddNumber(long value) {
    INT32_TO_NPVARIANT(value, m_values[m_count]);  // the macro names its target twice
    ++m_count;
  }
  bool AddText(BSTR text) {
    if (!npconv::StringOut(text, &NPN_MemAlloc, &m_values[m_count])) return false;
    ++m_count;
    return true;
  }
  const NPVariant* Values() const { return m_count ? m_values : nullptr; }
  uint32_t Count() const { return m_count; }

 private:
  NPVariant m_values[dispevent::kMaxParams];
  uint32_t m_count = 0;
};

const wchar_t kLogFile[] = L"npZumiPictavoEx.txt";

}  // namespace

HRESULT CMyAdapter::Deliver(const char* name, std::initializer_list<EventArg> args) {
  EventValues values;
  for (const EventArg& arg : args) {
    if (!arg.isText)
      values.AddNumber(arg.number);
    else if (!values.AddText(arg.text))
      return E_OUTOFMEMORY;
  }
  FireEvent(name, values.Values(), values.Count());
  return S_OK;
}

namespace {

bool AnyNull(std::initializer_list<BSTR> texts) {
  for (BSTR text : texts)
    if (!text) return true;
  return false;
}

}  // namespace

#define PICTAVOEX_ADAPTER_HANDLER(id, name, params, args, required, traced) \
  HRESULT CMyAdapter::name params {                                         \
    if (AnyNull({PICTAVOEX_UNPAREN required})) return E_POINTER;            \
    if (traced) WriteLog(kLogFile, L"CMyAdapter::" #name);                  \
    return Deliver(#name, {PICTAVOEX_UNPAREN args});                        \
  }
PICTAVOEX_EVENTS(PICTAVOEX_ADAPTER_HANDLER)
#undef PICTAVOEX_ADAPTER_HANDLER
