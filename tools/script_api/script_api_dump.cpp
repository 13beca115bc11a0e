// Prints the plug-in's script interface as the plug-in itself builds it: the
// member tables that an instance fills (control methods and settings, in
// registration order) and the event sink's table, each entry examined by
// driving it, plus the names and types that the control's type library gives
// the operations and events. tools/script_api/render.py turns the lines into
// the web developer's reference.
//
//   script_api_dump.exe TYPELIB OUTPUT
//
// Lines of OUTPUT (tab-separated, UTF-8; complaints go to stderr):
//   method  NAME  SLOT  ARGS  RESULT   ARGS: kind:name,... (kind number, bool,
//                                      string); RESULT void, number, boolean,
//                                      string or never (the call always fails)
//   setting NAME  TYPE                 TYPE integer or string
//   event   NAME  DISPID  ARGS         ARGS: kind:name,... (number, string)
//   reason  KIND  TEXT                 an example of each reason a refused
//                                      call gives page script
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>
#include <stdio.h>
#include <stdlib.h>
#include <wrl/client.h>

#include <string>
#include <vector>

#include "control/ZumiPictavoExEvent.h"
#include "entry/browser_funcs.h"
#include "entry/control_methods.h"
#include "entry/refusal.h"
#include "ZumiPictavoEx.h"

using Microsoft::WRL::ComPtr;

namespace {

FILE* g_out = nullptr;

// Scripts hand the plug-in at most this many arguments in the probe.
constexpr uint32_t kMaxArgs = 10;

// A control that records which operation a script method reached and answers
// every settings load by reading one name with one wanted type.
class CProbeControl final : public IPictavoEx, public IPersistPropertyBag {
 public:
  int lastPosition = -1;
  const wchar_t* readName = nullptr;
  VARTYPE readType = VT_EMPTY;
  bool readDelivered = false;

  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IPictavoEx)
      *object = static_cast<IPictavoEx*>(this);
    else if (iid == IID_IPersist || iid == IID_IPersistPropertyBag)
      *object = static_cast<IPersistPropertyBag*>(this);
    else
      return E_NOINTERFACE;
    return S_OK;
  }
  // The probe lives on the stack of main: no reference counting.
  STDMETHODIMP_(ULONG) AddRef() override { return 1; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    if (count) *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                      UINT*) override {
    return E_NOTIMPL;
  }

#include "pictavo_methods.inc"

  STDMETHODIMP GetClassID(CLSID* clsid) override {
    if (clsid) *clsid = CLSID_PictavoEx;
    return S_OK;
  }
  STDMETHODIMP InitNew() override { return S_OK; }
  STDMETHODIMP Load(IPropertyBag* bag, IErrorLog*) override {
    VARIANT value;
    VariantInit(&value);
    value.vt = readType;
    readDelivered = SUCCEEDED(bag->Read(readName, &value, nullptr)) && value.vt == readType;
    VariantClear(&value);
    return S_OK;
  }
  STDMETHODIMP Save(IPropertyBag*, BOOL, BOOL) override { return E_NOTIMPL; }

 private:
  static int Arg(long) { return 0; }
  static int Arg(BSTR) { return 0; }
  HRESULT Call(int position, const wchar_t*, std::initializer_list<int>) {
    lastPosition = position;
    return S_OK;
  }
  HRESULT GetLong(int position, const wchar_t*, long* out) {
    lastPosition = position;
    if (out) *out = 1;
    return S_OK;
  }
  HRESULT GetString(int position, const wchar_t*, BSTR* out) {
    lastPosition = position;
    if (out) *out = SysAllocString(L"text");
    return S_OK;
  }
};

// The browser's side that the tables use: memory for string results.
void* NP_CALLBACK MemAlloc(uint32_t size) { return malloc(size); }
void NP_CALLBACK MemFree(void* memory) { free(memory); }
void NP_CALLBACK ReleaseVariantValue(NPVariant* variant) {
  if (variant->type == NPVariantType_String)
    free(const_cast<NPUTF8*>(variant->value.stringValue.UTF8Characters));
  variant->type = NPVariantType_Void;
}

std::string Utf8(const wchar_t* text) {
  if (!text) return {};
  int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string out(size > 0 ? size - 1 : 0, '\0');
  if (size > 1) WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], size, nullptr, nullptr);
  return out;
}

enum class Kind { Bool, String, Number };
const char* KindName(Kind kind) {
  return kind == Kind::Number ? "number" : kind == Kind::Bool ? "bool" : "string";
}

NPVariant ValueOf(Kind kind) {
  static const char kText[] = "1";
  NPVariant value;
  if (kind == Kind::String) {
    value.type = NPVariantType_String;
    value.value.stringValue = {kText, 1};
  } else if (kind == Kind::Number) {
    value.type = NPVariantType_Int32;
    value.value.intValue = 1;
  } else {
    value.type = NPVariantType_Bool;
    value.value.boolValue = true;
  }
  return value;
}

struct Outcome {
  bool accepted = false;
  NPVariantType resultType = NPVariantType_Void;
  int position = -1;
};

Outcome Try(npMethod& method, CProbeControl& probe, const std::vector<Kind>& kinds) {
  std::vector<NPVariant> args(kinds.size() + 1);
  for (size_t i = 0; i < kinds.size(); ++i) args[i] = ValueOf(kinds[i]);
  NPVariant result;
  result.type = NPVariantType_Void;
  probe.lastPosition = -1;
  Outcome outcome;
  outcome.accepted = method.Invoke(args.data(), static_cast<uint32_t>(kinds.size()), &result);
  outcome.resultType = result.type;
  outcome.position = probe.lastPosition;
  ReleaseVariantValue(&result);
  return outcome;
}

// Finds the argument list a method accepts: its count and which arguments
// are strings (every rule takes either a string or a bool, never both); then
// tells numbers from flags by offering an integer.
bool ProbeArguments(npMethod& method, CProbeControl& probe, std::vector<Kind>* kinds,
                    Outcome* outcome) {
  for (uint32_t count = 0; count <= kMaxArgs; ++count) {
    for (uint32_t mask = 0; mask < (1u << count); ++mask) {
      std::vector<Kind> tried(count);
      for (uint32_t i = 0; i < count; ++i) tried[i] = (mask >> i) & 1 ? Kind::String : Kind::Bool;
      Outcome found = Try(method, probe, tried);
      if (!found.accepted) continue;
      for (uint32_t i = 0; i < count; ++i) {
        if (tried[i] != Kind::Bool) continue;
        std::vector<Kind> withNumber = tried;
        withNumber[i] = Kind::Number;
        if (Try(method, probe, withNumber).accepted) tried[i] = Kind::Number;
      }
      *kinds = tried;
      *outcome = found;
      return true;
    }
  }
  return false;
}

const char* ResultName(NPVariantType type) {
  switch (type) {
    case NPVariantType_Void:
      return "void";
    case NPVariantType_Int32:
      return "number";
    case NPVariantType_Bool:
      return "boolean";
    case NPVariantType_String:
      return "string";
    default:
      return "unknown";
  }
}

// The parameter names of a function in the type library.
std::vector<std::string> ParamNames(ITypeInfo* info, const FUNCDESC& func) {
  std::vector<BSTR> names(func.cParams + 1, nullptr);
  UINT got = 0;
  info->GetNames(func.memid, names.data(), static_cast<UINT>(names.size()), &got);
  std::vector<std::string> out;
  for (UINT i = 1; i < got; ++i) out.push_back(Utf8(names[i]));
  for (BSTR name : names) SysFreeString(name);
  while (out.size() < static_cast<size_t>(func.cParams))
    out.push_back("arg" + std::to_string(out.size() + 1));
  return out;
}

std::string FunctionName(ITypeInfo* info, const FUNCDESC& func) {
  BSTR name = nullptr;
  info->GetDocumentation(func.memid, &name, nullptr, nullptr, nullptr);
  std::string out = Utf8(name);
  SysFreeString(name);
  return out;
}

// Calls `visit` with every function description of `info`.
template <class Visit>
void ForEachFunction(ITypeInfo* info, Visit visit) {
  TYPEATTR* attr = nullptr;
  if (FAILED(info->GetTypeAttr(&attr))) return;
  const WORD count = attr->cFuncs;
  info->ReleaseTypeAttr(attr);
  for (WORD i = 0; i < count; ++i) {
    FUNCDESC* func = nullptr;
    if (FAILED(info->GetFuncDesc(i, &func))) continue;
    visit(*func);
    info->ReleaseFuncDesc(func);
  }
}

std::vector<std::string> OperationParams(ITypeInfo* control, int position) {
  std::vector<std::string> names;
  ForEachFunction(control, [&](const FUNCDESC& func) {
    if (func.oVft == position * static_cast<int>(sizeof(void*))) names = ParamNames(control, func);
  });
  return names;
}

int DumpMethods(ITypeInfo* control) {
  CProbeControl probe;
  IPictavoEx* field = &probe;
  int failures = 0, count = 0;
  CreateControlMethods(&field, [&](const char* name, std::unique_ptr<npMethod> entry) {
    ++count;
    std::vector<Kind> kinds;
    Outcome outcome;
    if (!ProbeArguments(*entry, probe, &kinds, &outcome)) {
      fprintf(g_out, "method\t%s\t-\t-\tnever\n", name);
      return;
    }
    if (outcome.position < 0) {
      fprintf(stderr, "%s succeeded without reaching the control\n", name);
      ++failures;
      return;
    }
    std::vector<std::string> params = OperationParams(control, outcome.position);
    std::string args;
    for (size_t i = 0; i < kinds.size(); ++i) {
      if (i) args += ",";
      args += std::string(KindName(kinds[i])) + ":" +
              (i < params.size() ? params[i] : "arg" + std::to_string(i + 1));
    }
    fprintf(g_out, "method\t%s\t%d\t%s\t%s\n", name, outcome.position,
            args.empty() ? "-" : args.c_str(), ResultName(outcome.resultType));
  });
  if (count != 84) fprintf(stderr, "%d control methods, not 84\n", count), ++failures;
  return failures;
}

int DumpSettings() {
  CProbeControl probe;
  IPictavoEx* field = &probe;
  int failures = 0, count = 0;
  CreateBagProperties(&field, [&](const char* name, std::unique_ptr<npProperty> entry) {
    ++count;
    std::wstring wide(name, name + strlen(name));
    std::vector<const char*> types;
    for (VARTYPE type : {VT_I4, VT_BSTR}) {
      probe.readName = wide.c_str();
      probe.readType = type;
      probe.readDelivered = false;
      NPVariant value = ValueOf(Kind::String);
      if (entry->Set(&value) && probe.readDelivered)
        types.push_back(type == VT_I4 ? "integer" : "string");
    }
    if (types.size() != 1) {
      fprintf(stderr, "setting %s: %zu value types\n", name, types.size());
      ++failures;
      return;
    }
    fprintf(g_out, "setting\t%s\t%s\n", name, types[0]);
  });
  if (count != 25) fprintf(stderr, "%d settings, not 25\n", count), ++failures;
  return failures;
}

int DumpEvents(ITypeInfo* events) {
  size_t rows = 0;
  const auto* map = CZumiPictavoExEvent::SinkMap(&rows);
  int failures = 0;
  for (size_t i = 0; i < rows; ++i) {
    bool found = false;
    ForEachFunction(events, [&](const FUNCDESC& func) {
      if (func.memid != map[i].dispid) return;
      found = true;
      std::vector<std::string> params = ParamNames(events, func);
      std::string args;
      for (SHORT p = 0; p < func.cParams; ++p) {
        const VARTYPE type = func.lprgelemdescParam[p].tdesc.vt;
        if (p) args += ",";
        args += std::string(type == VT_BSTR ? "string"
                            : type == VT_I4 ? "number"
                                            : "unknown") +
                ":" + params[p];
      }
      fprintf(g_out, "event\t%s\t%ld\t%s\n", FunctionName(events, func).c_str(), map[i].dispid,
              args.empty() ? "-" : args.c_str());
    });
    if (!found) fprintf(stderr, "DISPID %ld has no event in the type library\n", map[i].dispid);
    failures += found ? 0 : 1;
  }
  if (rows != 32) fprintf(stderr, "%zu sink rows, not 32\n", rows), ++failures;
  return failures;
}

// The reasons exactly as the plug-in words them, with example names.
void DumpReasons() {
  using refusal::Expect;
  const struct {
    const char* kind;
    std::string text;
  } kReasons[] = {
      {"count", refusal::ArgumentCount("SetThumbSize", 2, 1)},
      {"type", refusal::ArgumentType("SetThumbSize", 2, Expect::Number)},
      {"type", refusal::ArgumentType("StopUpload", 1, Expect::Flag)},
      {"type", refusal::ArgumentType("SetUserZumi", 1, Expect::String)},
      {"no-control", refusal::NoControl("GetPhotoCount")},
      {"failure", refusal::ControlFailure("Upload", static_cast<int32_t>(E_FAIL))},
      {"memory", refusal::NoMemory("GetUploadKey")},
      {"unavailable", refusal::NotAvailable("EditUploadFile")},
      {"write-only", refusal::WriteOnly("FrameType")},
      {"no-settings", refusal::NoSettings("FrameType")},
      {"failure", refusal::ControlFailure("FrameType", static_cast<int32_t>(E_INVALIDARG))},
      {"listener", refusal::ArgumentCount("AddEventListener", 3, 2)},
      {"create-name", refusal::ArgumentText("CreateAX", 1, "ZumiPictavoEx.dll")},
      {"origin", refusal::OriginRefused("CreateAX", "https://photos.example.net")},
      {"no-origin", refusal::OriginUnknown("CreateAX")},
  };
  for (const auto& reason : kReasons)
    fprintf(g_out, "reason\t%s\t%s\n", reason.kind, reason.text.c_str());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: script_api_dump TYPELIB OUTPUT\n");
    return 2;
  }
  NPNetscapeFuncs browser{};
  browser.size = sizeof(browser);
  browser.memalloc = &MemAlloc;
  browser.memfree = &MemFree;
  browser.releasevariantvalue = &ReleaseVariantValue;
  StoreBrowserFuncs(&browser);

  ComPtr<ITypeLib> library;
  ComPtr<ITypeInfo> control, events;
  if (FAILED(LoadTypeLibEx(argv[1], REGKIND_NONE, &library)) ||
      FAILED(library->GetTypeInfoOfGuid(IID_IPictavoEx, &control)) ||
      FAILED(library->GetTypeInfoOfGuid(DIID__IPictavoExEvents, &events))) {
    fprintf(stderr, "cannot read the type library %ls\n", argv[1]);
    return 1;
  }
  // A dual interface is described twice; the vtable positions are in the
  // interface part.
  HREFTYPE vtablePart = 0;
  ComPtr<ITypeInfo> vtable;
  if (SUCCEEDED(control->GetRefTypeOfImplType(static_cast<UINT>(-1), &vtablePart)) &&
      SUCCEEDED(control->GetRefTypeInfo(vtablePart, &vtable)))
    control = vtable;
  g_out = _wfopen(argv[2], L"wb");
  if (!g_out) {
    fprintf(stderr, "cannot write %ls\n", argv[2]);
    return 1;
  }
  int failures = DumpMethods(control.Get()) + DumpSettings() + DumpEvents(events.Get());
  DumpReasons();
  if (fclose(g_out) != 0) ++failures;
  return failures ? 1 : 0;
}
