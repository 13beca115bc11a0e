#include "entry/np_members.h"

#include <string.h>

#include <wrl/client.h>

#include "entry/my_adapter.h"
#include "support/write_log.h"

namespace {

const char kControlFileName[] = "ZumiPictavoEx.dll";

// Clears the bag's pending value however Load ends.
class PendingValue {
 public:
  PendingValue(CPropertyBag* bag, const NPVariant* value) : m_pBag(bag) { bag->SetPending(value); }
  ~PendingValue() { m_pBag->SetPending(nullptr); }
  PendingValue(const PendingValue&) = delete;
  PendingValue& operator=(const PendingValue&) = delete;

 private:
  CPropertyBag* m_pBag;
};

}  // namespace

bool npCreateAxControl::Invoke(const NPVariant* args, uint32_t argCount, NPVariant* result) {
  if (!args || !result || argCount == 0) return false;
  if (args[0].type != NPVariantType_String) return false;
  char name[256] = {};
  const NPString& text = args[0].value.stringValue;
  if (text.UTF8Characters) memcpy(name, text.UTF8Characters, text.UTF8Length < 255 ? text.UTF8Length : 255);
  if (strcmp(name, kControlFileName) != 0) return false;
  if (!m_pPlugin) return false;
  m_pPlugin->CreateAxControl();
  WriteLog(L"npZumiPictavoEx.txt", L"npCreateAxControl");
  return true;
}

bool npBagProperty::Set(const NPVariant* value) {
  IPictavoEx* control = Control();
  if (!control) return true;  // no control yet: the value is dropped
  Microsoft::WRL::ComPtr<IPersistPropertyBag> persist;
  if (FAILED(control->QueryInterface(IID_IPersistPropertyBag, &persist)) || !persist) return false;
  HRESULT hr;
  {
    PendingValue pending(m_pBag.get(), value);
    hr = persist->Load(m_pBag.get(), nullptr);
  }
  return SUCCEEDED(hr);
}
