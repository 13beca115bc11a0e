#include "entry/my_adapter.h"

#include "control/ax_host.h"
#include "entry/browser_funcs.h"
#include "entry/control_methods.h"
#include "entry/module.h"
#include "entry/np_convert.h"
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
  if (m_pControl) DispEventUnadvise(m_pControl.Get());
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
  DispEventAdvise(m_pControl.Get());
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

HRESULT CMyAdapter::OnSink_UploadSelect(long value1, long value2) {
  return Deliver("OnSink_UploadSelect", {value1, value2});
}

HRESULT CMyAdapter::OnSink_UploadResult(BSTR result, BSTR detail) {
  if (!result) return E_POINTER;
  return Deliver("OnSink_UploadResult", {result, detail});
}

HRESULT CMyAdapter::OnSink_ActiveFrame(long frame) {
  return Deliver("OnSink_ActiveFrame", {frame});
}

HRESULT CMyAdapter::OnSink_UploadComplete() { return Deliver("OnSink_UploadComplete"); }

HRESULT CMyAdapter::OnSink_PrepareToUpload(long value) {
  WriteLog(kLogFile, L"CMyAdapter::OnSink_PrepareToUpload");
  return Deliver("OnSink_PrepareToUpload", {value});
}

HRESULT CMyAdapter::OnSink_UploadParams(long value) {
  return Deliver("OnSink_UploadParams", {value});
}

HRESULT CMyAdapter::OnSink_LeaveControl(long value) {
  return Deliver("OnSink_LeaveControl", {value});
}

HRESULT CMyAdapter::OnSink_UploadOver(long value1, long value2, long value3, long value4,
                                      long value5) {
  return Deliver("OnSink_UploadOver", {value1, value2, value3, value4, value5});
}

HRESULT CMyAdapter::OnSink_PrepareToAddPhoto() { return Deliver("OnSink_PrepareToAddPhoto"); }

HRESULT CMyAdapter::OnSink_HowToDrag() { return Deliver("OnSink_HowToDrag"); }

HRESULT CMyAdapter::OnSink_AxInited() { return Deliver("OnSink_AxInited"); }

HRESULT CMyAdapter::OnSink_StartReadFile(BSTR file) {
  if (!file) return E_POINTER;
  return Deliver("OnSink_StartReadFile", {file});
}

HRESULT CMyAdapter::OnSink_StartCompress(BSTR file) {
  if (!file) return E_POINTER;
  return Deliver("OnSink_StartCompress", {file});
}

HRESULT CMyAdapter::OnSink_StartUpload(BSTR file) {
  if (!file) return E_POINTER;
  return Deliver("OnSink_StartUpload", {file});
}

HRESULT CMyAdapter::OnSink_ShowTimeInfo(BSTR text) {
  if (!text) return E_POINTER;
  return Deliver("OnSink_ShowTimeInfo", {text});
}

HRESULT CMyAdapter::OnSink_HideTimeInfo() { return Deliver("OnSink_HideTimeInfo"); }

HRESULT CMyAdapter::OnSink_UploadAllSuccessful() { return Deliver("OnSink_UploadAllSuccessful"); }

HRESULT CMyAdapter::OnSink_LocalError(long code, BSTR text1, BSTR text2) {
  return Deliver("OnSink_LocalError", {code, text1, text2});
}

HRESULT CMyAdapter::OnSink_DataReport(BSTR text, long value) {
  if (!text) return E_POINTER;
  return Deliver("OnSink_DataReport", {text, value});
}

HRESULT CMyAdapter::OnSink_UploadCompleteDataReport(BSTR text, long value) {
  if (!text) return E_POINTER;
  return Deliver("OnSink_UploadCompleteDataReport", {text, value});
}

HRESULT CMyAdapter::OnSink_UploadLibDataReport(BSTR text1, long value1, long value2, long value3,
                                               BSTR text2) {
  if (!text1 || !text2) return E_POINTER;
  return Deliver("OnSink_UploadLibDataReport", {text1, value1, value2, value3, text2});
}

HRESULT CMyAdapter::OnSink_GiveupFocus() { return Deliver("OnSink_GiveupFocus"); }

HRESULT CMyAdapter::OnSink_SizeChanged(long value) {
  return Deliver("OnSink_SizeChanged", {value});
}

HRESULT CMyAdapter::OnSink_WaterMarkPreview(BSTR text1, BSTR text2, BSTR text3) {
  return Deliver("OnSink_WaterMarkPreview", {text1, text2, text3});
}

HRESULT CMyAdapter::OnSink_UploadReturn(long value) {
  return Deliver("OnSink_UploadReturn", {value});
}

HRESULT CMyAdapter::OnSink_UploadProgress(long value1, long value2, long value3) {
  return Deliver("OnSink_UploadProgress", {value1, value2, value3});
}

HRESULT CMyAdapter::OnSink_UsbNotRead() { return Deliver("OnSink_UsbNotRead"); }

HRESULT CMyAdapter::OnSlientSink_StartUpload(BSTR text) {
  if (!text) return E_POINTER;
  return Deliver("OnSlientSink_StartUpload", {text});
}

HRESULT CMyAdapter::OnSlientSink_StopUpload(long value) {
  return Deliver("OnSlientSink_StopUpload", {value});
}

HRESULT CMyAdapter::OnSlientSink_Progress(long value) {
  return Deliver("OnSlientSink_Progress", {value});
}

HRESULT CMyAdapter::OnSlientSink_Complete(BSTR text) {
  if (!text) return E_POINTER;
  return Deliver("OnSlientSink_Complete", {text});
}

HRESULT CMyAdapter::OnSlientSink_Error(BSTR text) {
  if (!text) return E_POINTER;
  return Deliver("OnSlientSink_Error", {text});
}
