#include "control/disp_event.h"

using Microsoft::WRL::ComPtr;

namespace dispevent {

Arguments::~Arguments() {
  for (UINT i = 0; i < m_count; ++i)
    if (m_owned[i]) VariantClear(&m_coerced[i]);
}

HRESULT Arguments::Arrange(const DISPPARAMS* params, const FuncInfo& info, UINT* argError) {
  const UINT wanted = static_cast<UINT>(info.nParams);
  const UINT given = params ? params->cArgs : 0;
  const UINT named = params ? params->cNamedArgs : 0;
  if (wanted > static_cast<UINT>(kMaxParams)) return E_FAIL;
  if (given != wanted || named > given) return DISP_E_BADPARAMCOUNT;
  if (given && !params->rgvarg) return E_POINTER;
  if (named && !params->rgdispidNamedArgs) return E_POINTER;

  UINT source[kMaxParams];  // index into rgvarg for each declared position
  bool filled[kMaxParams] = {};
  for (UINT j = 0; j < named; ++j) {
    const DISPID position = params->rgdispidNamedArgs[j];
    if (position < 0 || static_cast<UINT>(position) >= wanted || filled[position])
      return DISP_E_PARAMNOTFOUND;
    source[position] = j;
    filled[position] = true;
  }
  // The positional ones fill the first positions, last argument first.
  for (UINT p = 0; p < given - named; ++p) {
    if (filled[p]) return DISP_E_PARAMNOTFOUND;
    source[p] = given - 1 - p;
    filled[p] = true;
  }

  for (UINT p = 0; p < wanted; ++p) {
    VARIANT* arg = &params->rgvarg[source[p]];
    const VARTYPE type = info.pVarTypes[p];
    VariantInit(&m_coerced[p]);
    m_count = p + 1;
    if (V_VT(arg) == type) {
      m_pointers[p] = arg;
      continue;
    }
    m_owned[p] = true;
    if (FAILED(VariantChangeType(&m_coerced[p], arg, 0, type))) {
      if (argError) *argError = source[p];
      return DISP_E_TYPEMISMATCH;
    }
    m_pointers[p] = &m_coerced[p];
  }
  m_count = wanted;
  return S_OK;
}

void SetResult(VARIANT* result, HRESULT hr) {
  if (!result) return;
  VariantInit(result);
  V_VT(result) = VT_ERROR;
  V_ERROR(result) = hr;
}

HRESULT DescribeFunc(ITypeInfo* info, DISPID id, FuncInfo& out) {
  ComPtr<ITypeInfo2> info2;
  HRESULT hr = info->QueryInterface(IID_PPV_ARGS(&info2));
  if (FAILED(hr)) return hr;
  UINT index = 0;
  hr = info2->GetFuncIndexOfMemId(id, INVOKE_FUNC, &index);
  if (FAILED(hr)) return hr;
  FUNCDESC* desc = nullptr;
  hr = info->GetFuncDesc(index, &desc);
  if (FAILED(hr)) return hr;
  out = FuncInfo();
  out.nParams = desc->cParams;
  for (SHORT i = 0; i < desc->cParams && i < kMaxParams; ++i) {
    const TYPEDESC& type = desc->lprgelemdescParam[i].tdesc;
    // A pointer parameter arrives by reference to its target type.
    out.pVarTypes[i] = type.vt == VT_PTR && type.lptdesc
                           ? static_cast<VARTYPE>(type.lptdesc->vt | VT_BYREF)
                           : type.vt;
  }
  info->ReleaseFuncDesc(desc);
  return S_OK;
}

HRESULT TypeInfoHolder::GetFuncInfo(REFGUID libid, REFIID iid, WORD major, WORD minor, LCID lcid,
                                    DISPID id, FuncInfo& info) {
  auto known = m_funcs.find(id);
  if (known != m_funcs.end()) {
    info = known->second;
    return S_OK;
  }
  if (!m_spInfo) {
    ComPtr<ITypeLib> library;
    HRESULT hr = LoadRegTypeLib(libid, major, minor, lcid, &library);
    if (FAILED(hr)) return hr;
    hr = library->GetTypeInfoOfGuid(iid, &m_spInfo);
    if (FAILED(hr)) return hr;
  }
  HRESULT hr = DescribeFunc(m_spInfo.Get(), id, info);
  if (SUCCEEDED(hr)) m_funcs[id] = info;
  return hr;
}

void TypeInfoHolder::Clear() {
  m_spInfo.Reset();
  m_funcs.clear();
}

}  // namespace dispevent

HRESULT DispEventConnection::Advise(IUnknown* source, IUnknown* sink) {
  if (!source || !sink) return E_POINTER;
  if (IsConnected()) return S_OK;
  ComPtr<IConnectionPointContainer> container;
  HRESULT hr = source->QueryInterface(IID_PPV_ARGS(&container));
  if (FAILED(hr)) return hr;
  ComPtr<IConnectionPoint> point;
  hr = container->FindConnectionPoint(m_iid, &point);
  if (FAILED(hr)) return hr;
  if (!point) return E_POINTER;
  DWORD cookie = kNotConnected;
  hr = point->Advise(sink, &cookie);
  if (SUCCEEDED(hr)) m_dwEventCookie = cookie;
  return hr;
}

HRESULT DispEventConnection::Unadvise(IUnknown* source) {
  if (!IsConnected()) return S_FALSE;
  const DWORD cookie = m_dwEventCookie;
  m_dwEventCookie = kNotConnected;
  if (!source) return E_POINTER;
  ComPtr<IConnectionPointContainer> container;
  HRESULT hr = source->QueryInterface(IID_PPV_ARGS(&container));
  if (FAILED(hr)) return hr;
  ComPtr<IConnectionPoint> point;
  hr = container->FindConnectionPoint(m_iid, &point);
  if (FAILED(hr)) return hr;
  return point ? point->Unadvise(cookie) : E_POINTER;
}
