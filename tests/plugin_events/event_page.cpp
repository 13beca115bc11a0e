#include "event_page.h"

#include <wrl/client.h>

#include <algorithm>

#include "ZumiPictavoEx.h"

using Microsoft::WRL::ComPtr;

namespace eventtest {

std::vector<Event> EventsOfTheTypeLibrary() {
  std::vector<Event> events;
  ComPtr<ITypeLib> library;
  ComPtr<ITypeInfo> info;
  if (FAILED(LoadRegTypeLib(LIBID_ZUMIPICTAVOEXLib, 1, 0, LOCALE_NEUTRAL, &library)) ||
      FAILED(library->GetTypeInfoOfGuid(DIID__IPictavoExEvents, &info)))
    return events;
  TYPEATTR* attr = nullptr;
  if (FAILED(info->GetTypeAttr(&attr))) return events;
  for (UINT i = 0; i < attr->cFuncs; ++i) {
    FUNCDESC* func = nullptr;
    if (FAILED(info->GetFuncDesc(i, &func))) continue;
    BSTR name = nullptr;
    info->GetDocumentation(func->memid, &name, nullptr, nullptr, nullptr);
    Event event{func->memid, std::string(name, name + SysStringLen(name)), ""};
    SysFreeString(name);
    for (SHORT p = 0; p < func->cParams; ++p)
      event.args += func->lprgelemdescParam[p].tdesc.vt == VT_BSTR ? 'S' : 'N';
    info->ReleaseFuncDesc(func);
    events.push_back(event);
  }
  info->ReleaseTypeAttr(attr);
  std::sort(events.begin(), events.end(),
            [](const Event& a, const Event& b) { return a.dispid < b.dispid; });
  return events;
}

Listener::Listener() : m_function(hosttest::StartedBrowser().NewFunction()) {}

Listener::~Listener() { Drop(); }

void Listener::Drop() {
  if (m_function) hosttest::StartedBrowser().Release(m_function);
  m_function = nullptr;
}

bool Listen(hosttest::Page& page, const std::string& name, NPObject* listener) {
  return page.Call("AddEventListener",
                   {npbrowser::String(name), npbrowser::Object(listener), npbrowser::Int(0)});
}

Args::~Args() {
  for (VARIANT& value : m_values) VariantClear(&value);
}

Args& Args::Number(long value) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_I4;
  V_I4(&v) = value;
  m_values.push_back(v);
  return *this;
}

Args& Args::Text(const std::wstring& text) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_BSTR;
  V_BSTR(&v) = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  m_values.push_back(v);
  return *this;
}

Args& Args::NullText() {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_BSTR;
  V_BSTR(&v) = nullptr;
  m_values.push_back(v);
  return *this;
}

HRESULT Fire(DISPID id, const Args& args) {
  return hosttest::Fixture().FireEvent(id, args.Data(), args.Count());
}

std::unique_ptr<hosttest::Page> HostedPage() {
  auto page = std::make_unique<hosttest::Page>();
  EXPECT_EQ(NPERR_NO_ERROR, page->Attach(320, 240));
  EXPECT_TRUE(page->CreateAX());
  EXPECT_EQ(1, hosttest::Fixture().ConnectionCount());
  return page;
}

}  // namespace eventtest
