#include "entry/np_members.h"

#include <wrl/client.h>

#include "entry/refusal.h"

namespace {

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

bool npBagProperty::Set(const NPVariant* value) {
  IPictavoEx* control = Control();
  if (!control) return true;  // no control yet: the value is dropped
  Microsoft::WRL::ComPtr<IPersistPropertyBag> persist;
  if (FAILED(control->QueryInterface(IID_IPersistPropertyBag, &persist)) || !persist)
    return refusal::Refuse(refusal::NoSettings(m_pBag->Name()));
  HRESULT hr;
  {
    PendingValue pending(m_pBag.get(), value);
    hr = persist->Load(m_pBag.get(), nullptr);
  }
  if (FAILED(hr)) return refusal::Refuse(refusal::ControlFailure(m_pBag->Name(), hr));
  return true;
}

bool npBagProperty::Get(NPVariant*) { return refusal::Refuse(refusal::WriteOnly(m_pBag->Name())); }
