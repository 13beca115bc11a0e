#include "entry/property_bag.h"

#include <string>

#include "entry/np_convert.h"

// Only the bag's own interfaces: a caller given this object for another
// interface would call into the wrong vtable.
HRESULT CPropertyBag::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (iid != IID_IUnknown && iid != IID_IPropertyBag) return E_NOINTERFACE;
  *out = static_cast<IPropertyBag*>(this);
  return S_OK;
}

HRESULT CPropertyBag::Read(LPCOLESTR name, VARIANT* var, IErrorLog*) {
  if (!m_szName || !name) return E_FAIL;
  wchar_t ownName[128] = {};
  if (!MultiByteToWideChar(CP_ACP, 0, m_szName, -1, ownName, 128)) return E_FAIL;
  if (wcscmp(ownName, name) != 0) return E_FAIL;
  const NPVariant* pending = m_pPending;
  m_pPending = nullptr;
  if (!pending || pending->type != NPVariantType_String) return E_FAIL;
  return ReadValue(pending->value.stringValue.UTF8Characters, pending->value.stringValue.UTF8Length,
                   var);
}

HRESULT CPropertyBag::ReadValue(const char*, uint32_t, VARIANT*) { return E_FAIL; }

HRESULT CPropertyBagRwI4::ReadValue(const char* text, uint32_t length, VARIANT* var) {
  if (!text || !var || var->vt != VT_I4) return E_FAIL;
  var->lVal = npconv::ParseBagInteger(text, length);
  return S_OK;
}

HRESULT CPropertyBagRwBSTR::ReadValue(const char* text, uint32_t length, VARIANT* var) {
  if (!text) return E_FAIL;
  if (!var || var->vt != VT_BSTR) return E_FAIL;
  NPString string = {text, length};
  std::wstring wide = npconv::StringInText(string);
  var->bstrVal = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  return S_OK;
}
