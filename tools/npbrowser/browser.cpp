#include "browser.h"

#include <stdlib.h>
#include <string.h>

namespace npbrowser {

namespace {

// What a current browser reports: every published entry, minor version 29.
constexpr uint16_t kBrowserVersion = 29;

// --- Script functions -------------------------------------------------------

NPObject* NP_CALLBACK FunctionAllocate(NPP, NPClass*) { return new ScriptFunction(); }
void NP_CALLBACK FunctionDeallocate(NPObject* object) {
  delete static_cast<ScriptFunction*>(object);
}
bool NP_CALLBACK FunctionInvokeDefault(NPObject* object, const NPVariant* args, uint32_t argCount,
                                       NPVariant* result) {
  auto* function = static_cast<ScriptFunction*>(object);
  ++function->callCount;
  if (function->record) {
    ScriptCall call;
    for (uint32_t i = 0; i < argCount; ++i) call.args.push_back(Copy(args[i]));
    function->calls.push_back(call);
  }
  if (result) VOID_TO_NPVARIANT(*result);
  function->failed = false;
  // The body may release this function; keep it alive until it returns.
  bool ok = true;
  if (function->body) {
    Browser::Get().Retain(function);
    auto body = function->body;
    body(args, argCount, result);
    ok = !function->failed;
    Browser::Get().Release(function);
  }
  return ok;
}

NPClass g_functionClass = {NP_CLASS_STRUCT_VERSION,
                           FunctionAllocate,
                           FunctionDeallocate,
                           nullptr,
                           nullptr,
                           nullptr,
                           FunctionInvokeDefault,
                           nullptr,
                           nullptr,
                           nullptr,
                           nullptr,
                           nullptr,
                           nullptr};

// --- The page's window object and its location --------------------------------

bool NP_CALLBACK WindowHasProperty(NPObject*, NPIdentifier name) {
  return name == Browser::Get().Identifier("location");
}
bool NP_CALLBACK LocationHasProperty(NPObject*, NPIdentifier name) {
  return name == Browser::Get().Identifier("href");
}
bool NP_CALLBACK LocationGetProperty(NPObject*, NPIdentifier name, NPVariant* result);
NPClass g_locationClass = {NP_CLASS_STRUCT_VERSION,
                           nullptr,
                           nullptr,
                           nullptr,
                           nullptr,
                           nullptr,
                           nullptr,
                           LocationHasProperty,
                           LocationGetProperty};

// Each read of location gives a new object, owned by the reader.
bool NP_CALLBACK WindowGetProperty(NPObject* object, NPIdentifier name, NPVariant* result) {
  if (!WindowHasProperty(object, name)) return false;
  OBJECT_TO_NPVARIANT(Browser::Get().CreateObject(nullptr, &g_locationClass), *result);
  return true;
}
bool NP_CALLBACK LocationGetProperty(NPObject* object, NPIdentifier name, NPVariant* result) {
  if (!LocationHasProperty(object, name)) return false;
  const std::string& href = Browser::Get().Address().href;
  STRINGN_TO_NPVARIANT(Browser::Get().NewString(href), static_cast<uint32_t>(href.size()), *result);
  return true;
}
NPClass g_windowClass = {
    NP_CLASS_STRUCT_VERSION, nullptr,          nullptr, nullptr, nullptr, nullptr, nullptr,
    WindowHasProperty,       WindowGetProperty};

// --- Browser functions --------------------------------------------------------

NPError NP_CALLBACK GetURL(NPP, const char*, const char*) { return NPERR_GENERIC_ERROR; }
NPError NP_CALLBACK PostURL(NPP, const char*, const char*, uint32_t, const char*, NPBool) {
  return NPERR_GENERIC_ERROR;
}
NPError NP_CALLBACK RequestRead(NPStream*, NPByteRange*) { return NPERR_GENERIC_ERROR; }
NPError NP_CALLBACK NewStream(NPP, NPMIMEType, const char*, NPStream**) {
  return NPERR_GENERIC_ERROR;
}
int32_t NP_CALLBACK Write(NPP, NPStream*, int32_t, void*) { return -1; }
NPError NP_CALLBACK DestroyStream(NPP, NPStream*, NPReason) { return NPERR_GENERIC_ERROR; }
void NP_CALLBACK Status(NPP, const char*) {}
const char* NP_CALLBACK UserAgent(NPP) {
  return "Mozilla/5.0 (Windows NT 6.1; rv:52.0) Gecko/20100101 Firefox/52.0";
}
void* NP_CALLBACK MemAlloc(uint32_t size) { return Browser::Get().MemAlloc(size); }
void NP_CALLBACK MemFree(void* ptr) { Browser::Get().MemFree(ptr); }
uint32_t NP_CALLBACK MemFlush(uint32_t) { return 0; }
void NP_CALLBACK ReloadPlugins(NPBool) {}
void* NP_CALLBACK GetJavaEnv() { return nullptr; }
void* NP_CALLBACK GetJavaPeer(NPP) { return nullptr; }
NPError NP_CALLBACK GetURLNotify(NPP, const char*, const char*, void*) {
  return NPERR_GENERIC_ERROR;
}
NPError NP_CALLBACK PostURLNotify(NPP, const char*, const char*, uint32_t, const char*, NPBool,
                                  void*) {
  return NPERR_GENERIC_ERROR;
}
NPError NP_CALLBACK GetValue(NPP, NPNVariable variable, void* value) {
  if (variable == NPNVnetscapeWindow && value) {
    *static_cast<HWND*>(value) = Browser::Get().TopWindow();
    return NPERR_NO_ERROR;
  }
  if (variable == NPNVjavascriptEnabledBool && value) {
    *static_cast<NPBool*>(value) = 1;
    return NPERR_NO_ERROR;
  }
  using Answers = PageAddress::Answers;
  const Answers answers = Browser::Get().Address().answers;
  if (variable == NPNVdocumentOrigin && value && answers == Answers::OriginAndLocation) {
    *static_cast<char**>(value) = Browser::Get().NewString(Browser::Get().Address().origin);
    return NPERR_NO_ERROR;
  }
  // A new window object each time, owned by the caller.
  if (variable == NPNVWindowNPObject && value && answers != Answers::None) {
    *static_cast<NPObject**>(value) = Browser::Get().CreateObject(nullptr, &g_windowClass);
    return NPERR_NO_ERROR;
  }
  return NPERR_GENERIC_ERROR;
}
NPError NP_CALLBACK SetValue(NPP, NPPVariable, void*) { return NPERR_NO_ERROR; }
void NP_CALLBACK InvalidateRect(NPP, NPRect*) {}
void NP_CALLBACK InvalidateRegion(NPP, void*) {}
void NP_CALLBACK ForceRedraw(NPP) {}
NPIdentifier NP_CALLBACK GetStringIdentifier(const NPUTF8* name) {
  return Browser::Get().Identifier(name);
}
void NP_CALLBACK GetStringIdentifiers(const NPUTF8** names, int32_t count, NPIdentifier* ids) {
  for (int32_t i = 0; i < count; ++i) ids[i] = Browser::Get().Identifier(names[i]);
}
NPIdentifier NP_CALLBACK GetIntIdentifier(int32_t) { return nullptr; }
bool NP_CALLBACK IdentifierIsString(NPIdentifier id) { return id != nullptr; }
NPUTF8* NP_CALLBACK UTF8FromIdentifier(NPIdentifier id) {
  if (!id) return nullptr;
  return Browser::Get().NewString(Browser::Get().IdentifierName(id));
}
int32_t NP_CALLBACK IntFromIdentifier(NPIdentifier) { return 0; }
NPObject* NP_CALLBACK CreateObject(NPP npp, NPClass* aClass) {
  return Browser::Get().CreateObject(npp, aClass);
}
NPObject* NP_CALLBACK RetainObject(NPObject* object) { return Browser::Get().Retain(object); }
void NP_CALLBACK ReleaseObject(NPObject* object) { Browser::Get().Release(object); }
bool NP_CALLBACK Invoke(NPP, NPObject* object, NPIdentifier name, const NPVariant* args,
                        uint32_t argCount, NPVariant* result) {
  if (!object || !object->_class || !object->_class->invoke) return false;
  return object->_class->invoke(object, name, args, argCount, result);
}
bool NP_CALLBACK InvokeDefault(NPP, NPObject* object, const NPVariant* args, uint32_t argCount,
                               NPVariant* result) {
  if (!object || !object->_class || !object->_class->invokeDefault) return false;
  return object->_class->invokeDefault(object, args, argCount, result);
}
bool NP_CALLBACK Evaluate(NPP, NPObject*, NPString*, NPVariant*) { return false; }
bool NP_CALLBACK GetProperty(NPP, NPObject* object, NPIdentifier name, NPVariant* result) {
  return object && object->_class->getProperty && object->_class->getProperty(object, name, result);
}
bool NP_CALLBACK SetProperty(NPP, NPObject* object, NPIdentifier name, const NPVariant* value) {
  return object && object->_class->setProperty && object->_class->setProperty(object, name, value);
}
bool NP_CALLBACK RemoveProperty(NPP, NPObject*, NPIdentifier) { return false; }
bool NP_CALLBACK HasProperty(NPP, NPObject* object, NPIdentifier name) {
  return object && object->_class->hasProperty && object->_class->hasProperty(object, name);
}
bool NP_CALLBACK HasMethod(NPP, NPObject* object, NPIdentifier name) {
  return object && object->_class->hasMethod && object->_class->hasMethod(object, name);
}
void NP_CALLBACK ReleaseVariantValue(NPVariant* variant) { Browser::Get().ReleaseVariant(variant); }
void NP_CALLBACK SetException(NPObject*, const NPUTF8* message) {
  Browser::Get().SetException(message);
}
void NP_CALLBACK PushPopupsEnabledState(NPP, NPBool) {}
void NP_CALLBACK PopPopupsEnabledState(NPP) {}
bool NP_CALLBACK Enumerate(NPP, NPObject*, NPIdentifier**, uint32_t*) { return false; }
void NP_CALLBACK PluginThreadAsyncCall(NPP, void (*)(void*), void*) {}
bool NP_CALLBACK Construct(NPP, NPObject*, const NPVariant*, uint32_t, NPVariant*) { return false; }
NPError NP_CALLBACK GetValueForURL(NPP, int, const char*, char**, uint32_t*) {
  return NPERR_GENERIC_ERROR;
}
NPError NP_CALLBACK SetValueForURL(NPP, int, const char*, const char*, uint32_t) {
  return NPERR_GENERIC_ERROR;
}
NPError NP_CALLBACK GetAuthenticationInfo(NPP, const char*, const char*, int32_t, const char*,
                                          const char*, char**, uint32_t*, char**, uint32_t*) {
  return NPERR_GENERIC_ERROR;
}
uint32_t NP_CALLBACK ScheduleTimer(NPP, uint32_t, NPBool, void (*)(NPP, uint32_t)) { return 0; }
void NP_CALLBACK UnscheduleTimer(NPP, uint32_t) {}
NPError NP_CALLBACK PopUpContextMenu(NPP, void*) { return NPERR_GENERIC_ERROR; }
NPBool NP_CALLBACK ConvertPoint(NPP, double, double, int, double*, double*, int) { return 0; }
NPBool NP_CALLBACK HandleEvent(NPP, void*, NPBool) { return 0; }
NPBool NP_CALLBACK UnfocusInstance(NPP, int) { return 0; }
void NP_CALLBACK URLRedirectResponse(NPP, void*, NPBool) {}
NPError NP_CALLBACK InitAsyncSurface(NPP, void*, int, void*, void*) { return NPERR_GENERIC_ERROR; }
NPError NP_CALLBACK FinalizeAsyncSurface(NPP, void*) { return NPERR_GENERIC_ERROR; }
void NP_CALLBACK SetCurrentAsyncSurface(NPP, void*, NPRect*) {}

LRESULT CALLBACK FrameProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(hWnd, msg, wParam, lParam);
}

void RegisterWindowClasses() {
  static bool registered = false;
  if (registered) return;
  WNDCLASSW frame = {};
  frame.lpfnWndProc = FrameProc;
  frame.hInstance = GetModuleHandleW(nullptr);
  frame.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  frame.lpszClassName = L"ZpBrowserFrame";
  RegisterClassW(&frame);
  WNDCLASSW child = frame;
  child.lpszClassName = L"ZpBrowserPluginWindow";
  RegisterClassW(&child);
  registered = true;
}

}  // namespace

PageAddress MakerPage() {
  return {"https://www.orvane.com", "https://www.orvane.com/upload.html",
          PageAddress::Answers::OriginAndLocation};
}

Browser& Browser::Get() {
  static Browser browser;
  return browser;
}

bool Browser::Load(const std::wstring& dllPath) {
  if (!m_module) m_module = LoadLibraryW(dllPath.c_str());
  if (!m_module) return false;
  getEntryPoints =
      reinterpret_cast<NP_GetEntryPointsFunc>(GetProcAddress(m_module, "NP_GetEntryPoints"));
  initialize = reinterpret_cast<NP_InitializeFunc>(GetProcAddress(m_module, "NP_Initialize"));
  shutdown = reinterpret_cast<NP_ShutdownFunc>(GetProcAddress(m_module, "NP_Shutdown"));
  return getEntryPoints && initialize && shutdown;
}

NPError Browser::Start() {
  m_pluginFuncs = EmptyPluginFuncs();
  NPError error = getEntryPoints(&m_pluginFuncs);
  if (error != NPERR_NO_ERROR) return error;
  m_browserFuncs = FullBrowserFuncs();
  return initialize(&m_browserFuncs);
}

void Browser::Shutdown() {
  if (shutdown) shutdown();
}

void Browser::Unload() {
  if (m_module) FreeLibrary(m_module);
  m_module = nullptr;
  getEntryPoints = nullptr;
  initialize = nullptr;
  shutdown = nullptr;
}

NPNetscapeFuncs Browser::FullBrowserFuncs() {
  NPNetscapeFuncs f = {};
  f.size = sizeof(NPNetscapeFuncs);
  f.version = (NP_VERSION_MAJOR << 8) | kBrowserVersion;
  f.geturl = GetURL;
  f.posturl = PostURL;
  f.requestread = RequestRead;
  f.newstream = NewStream;
  f.write = Write;
  f.destroystream = DestroyStream;
  f.status = Status;
  f.uagent = UserAgent;
  f.memalloc = npbrowser::MemAlloc;
  f.memfree = npbrowser::MemFree;
  f.memflush = MemFlush;
  f.reloadplugins = ReloadPlugins;
  f.getJavaEnv = GetJavaEnv;
  f.getJavaPeer = GetJavaPeer;
  f.geturlnotify = GetURLNotify;
  f.posturlnotify = PostURLNotify;
  f.getvalue = GetValue;
  f.setvalue = SetValue;
  f.invalidaterect = InvalidateRect;
  f.invalidateregion = InvalidateRegion;
  f.forceredraw = ForceRedraw;
  f.getstringidentifier = GetStringIdentifier;
  f.getstringidentifiers = GetStringIdentifiers;
  f.getintidentifier = GetIntIdentifier;
  f.identifierisstring = IdentifierIsString;
  f.utf8fromidentifier = UTF8FromIdentifier;
  f.intfromidentifier = IntFromIdentifier;
  f.createobject = npbrowser::CreateObject;
  f.retainobject = RetainObject;
  f.releaseobject = ReleaseObject;
  f.invoke = npbrowser::Invoke;
  f.invokeDefault = npbrowser::InvokeDefault;
  f.evaluate = Evaluate;
  f.getproperty = npbrowser::GetProperty;
  f.setproperty = npbrowser::SetProperty;
  f.removeproperty = RemoveProperty;
  f.hasproperty = npbrowser::HasProperty;
  f.hasmethod = npbrowser::HasMethod;
  f.releasevariantvalue = ReleaseVariantValue;
  f.setexception = npbrowser::SetException;
  f.pushpopupsenabledstate = PushPopupsEnabledState;
  f.poppopupsenabledstate = PopPopupsEnabledState;
  f.enumerate = Enumerate;
  f.pluginthreadasynccall = PluginThreadAsyncCall;
  f.construct = Construct;
  f.getvalueforurl = GetValueForURL;
  f.setvalueforurl = SetValueForURL;
  f.getauthenticationinfo = GetAuthenticationInfo;
  f.scheduletimer = ScheduleTimer;
  f.unscheduletimer = UnscheduleTimer;
  f.popupcontextmenu = PopUpContextMenu;
  f.convertpoint = ConvertPoint;
  f.handleevent = HandleEvent;
  f.unfocusinstance = UnfocusInstance;
  f.urlredirectresponse = URLRedirectResponse;
  f.initasyncsurface = InitAsyncSurface;
  f.finalizeasyncsurface = FinalizeAsyncSurface;
  f.setcurrentasyncsurface = SetCurrentAsyncSurface;
  return f;
}

NPPluginFuncs Browser::EmptyPluginFuncs() {
  NPPluginFuncs f = {};
  f.size = sizeof(NPPluginFuncs);
  return f;
}

NPIdentifier Browser::Identifier(const char* name) {
  if (!name) return nullptr;
  auto& record = m_identifiers[name];
  if (!record) record = std::make_unique<IdentifierRecord>(IdentifierRecord{name});
  return record.get();
}

std::string Browser::IdentifierName(NPIdentifier id) const {
  for (const auto& entry : m_identifiers)
    if (entry.second.get() == id) return entry.first;
  return std::string();
}

NPObject* Browser::CreateObject(NPP npp, NPClass* aClass) {
  if (!aClass) return nullptr;
  NPObject* object = aClass->allocate ? aClass->allocate(npp, aClass)
                                      : static_cast<NPObject*>(calloc(1, sizeof(NPObject)));
  if (!object) return nullptr;
  object->_class = aClass;
  object->referenceCount = 1;
  m_liveObjects.insert(object);
  ++m_objectsCreated;
  return object;
}

ScriptFunction* Browser::NewFunction() {
  return static_cast<ScriptFunction*>(CreateObject(nullptr, &g_functionClass));
}

NPObject* Browser::Retain(NPObject* object) {
  if (!object) return nullptr;
  if (!IsLive(object)) {
    ++m_badReleases;
    return object;
  }
  ++object->referenceCount;
  return object;
}

void Browser::Release(NPObject* object) {
  if (!object) return;
  if (!IsLive(object) || object->referenceCount == 0) {
    ++m_badReleases;
    return;
  }
  if (--object->referenceCount > 0) return;
  m_liveObjects.erase(object);
  if (object->_class && object->_class->deallocate)
    object->_class->deallocate(object);
  else
    free(object);
}

size_t Browser::LivePluginObjects() const {
  size_t count = 0;
  for (NPObject* object : m_liveObjects)
    if (object->_class != &g_functionClass) ++count;
  return count;
}

void* Browser::MemAlloc(uint32_t size) {
  if (m_allocationsBeforeFailure == 0) {
    m_allocationsBeforeFailure = -1;
    return nullptr;
  }
  if (m_allocationsBeforeFailure > 0) --m_allocationsBeforeFailure;
  void* ptr = malloc(size ? size : 1);
  if (ptr) m_allocations[ptr] = size;
  return ptr;
}

char* Browser::NewString(const std::string& text) {
  char* copy = static_cast<char*>(MemAlloc(static_cast<uint32_t>(text.size() + 1)));
  if (copy) memcpy(copy, text.c_str(), text.size() + 1);
  return copy;
}

void Browser::MemFree(void* ptr) {
  if (!ptr) return;
  auto entry = m_allocations.find(ptr);
  if (entry == m_allocations.end()) {
    ++m_badFrees;
    return;
  }
  m_allocations.erase(entry);
  free(ptr);
}

void Browser::ReleaseVariant(NPVariant* variant) {
  if (!variant) return;
  if (variant->type == NPVariantType_String)
    MemFree(const_cast<NPUTF8*>(variant->value.stringValue.UTF8Characters));
  else if (variant->type == NPVariantType_Object)
    Release(variant->value.objectValue);
  VOID_TO_NPVARIANT(*variant);
}

bool Browser::Call(NPObject* object, const char* method, const std::vector<NPVariant>& args,
                   NPVariant* result) {
  VOID_TO_NPVARIANT(*result);
  NPIdentifier id = Identifier(method);
  if (!npbrowser::HasMethod(nullptr, object, id)) return false;
  return npbrowser::Invoke(nullptr, object, id, args.data(), static_cast<uint32_t>(args.size()),
                           result);
}

bool Browser::CallDefault(NPObject* object, const std::vector<NPVariant>& args, NPVariant* result) {
  VOID_TO_NPVARIANT(*result);
  return npbrowser::InvokeDefault(nullptr, object, args.data(), static_cast<uint32_t>(args.size()),
                                  result);
}

bool Browser::SetProperty(NPObject* object, const char* name, const NPVariant& value) {
  NPIdentifier id = Identifier(name);
  if (!npbrowser::HasProperty(nullptr, object, id)) return false;
  return npbrowser::SetProperty(nullptr, object, id, &value);
}

bool Browser::GetProperty(NPObject* object, const char* name, NPVariant* result) {
  VOID_TO_NPVARIANT(*result);
  NPIdentifier id = Identifier(name);
  if (!npbrowser::HasProperty(nullptr, object, id)) return false;
  return npbrowser::GetProperty(nullptr, object, id, result);
}

bool Browser::HasMethod(NPObject* object, NPIdentifier name) {
  return npbrowser::HasMethod(nullptr, object, name);
}

bool Browser::HasProperty(NPObject* object, NPIdentifier name) {
  return npbrowser::HasProperty(nullptr, object, name);
}

bool Browser::Invoke(NPObject* object, NPIdentifier name, const NPVariant* args, uint32_t argCount,
                     NPVariant* result) {
  VOID_TO_NPVARIANT(*result);
  return npbrowser::Invoke(nullptr, object, name, args, argCount, result);
}

bool Browser::InvokeDefault(NPObject* object, const NPVariant* args, uint32_t argCount,
                            NPVariant* result) {
  VOID_TO_NPVARIANT(*result);
  return npbrowser::InvokeDefault(nullptr, object, args, argCount, result);
}

bool Browser::GetProperty(NPObject* object, NPIdentifier name, NPVariant* result) {
  VOID_TO_NPVARIANT(*result);
  return npbrowser::GetProperty(nullptr, object, name, result);
}

bool Browser::SetProperty(NPObject* object, NPIdentifier name, const NPVariant* value) {
  return npbrowser::SetProperty(nullptr, object, name, value);
}

void Browser::SetException(const char* message) { m_exception = message ? message : ""; }

std::string Browser::TakeException() {
  std::string message;
  message.swap(m_exception);
  return message;
}

HWND Browser::TopWindow() {
  if (!IsWindow(m_topWindow)) {
    RegisterWindowClasses();
    m_topWindow = CreateWindowExW(0, L"ZpBrowserFrame", L"Browser stand-in",
                                  WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 800, 600, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
  }
  return m_topWindow;
}

void Browser::SetPageSize(int width, int height) {
  HWND top = TopWindow();
  RECT frame{0, 0, width, height};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongW(top, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongW(top, GWL_EXSTYLE)));
  SetWindowPos(top, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND Browser::NewPluginWindow(int width, int height) {
  return NewPluginWindow(10, 10, width, height);
}

HWND Browser::NewPluginWindow(int x, int y, int width, int height) {
  return CreateWindowExW(0, L"ZpBrowserPluginWindow", L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                         x, y, width, height, TopWindow(), nullptr, GetModuleHandleW(nullptr),
                         nullptr);
}

void Browser::PumpMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

PluginInstance::~PluginInstance() {
  if (m_created) Destroy();
}

NPError PluginInstance::New(const char* mimeType) { return New(mimeType, {{"type", mimeType}}); }

NPError PluginInstance::New(const char* mimeType,
                            const std::vector<std::pair<std::string, std::string>>& attributes) {
  std::vector<char*> names, values;
  for (const auto& attribute : attributes) {
    names.push_back(const_cast<char*>(attribute.first.c_str()));
    values.push_back(const_cast<char*>(attribute.second.c_str()));
  }
  NPError error = Browser::Get().PluginFuncs().newp(const_cast<char*>(mimeType), &m_npp, NP_EMBED,
                                                    static_cast<int16_t>(names.size()),
                                                    names.data(), values.data(), nullptr);
  m_created = error == NPERR_NO_ERROR;
  return error;
}

NPError PluginInstance::SetWindow(HWND window, uint32_t width, uint32_t height, NPWindowType type) {
  m_window.window = window;
  m_window.x = 0;
  m_window.y = 0;
  m_window.width = width;
  m_window.height = height;
  m_window.clipRect = NPRect{0, 0, static_cast<uint16_t>(height), static_cast<uint16_t>(width)};
  m_window.type = type;
  return Browser::Get().PluginFuncs().setwindow(&m_npp, &m_window);
}

NPError PluginInstance::Destroy() {
  m_created = false;
  NPSavedData* saved = nullptr;
  return Browser::Get().PluginFuncs().destroy(&m_npp, &saved);
}

NPObject* PluginInstance::Scriptable() {
  NPObject* object = nullptr;
  if (Browser::Get().PluginFuncs().getvalue(&m_npp, NPPVpluginScriptableNPObject, &object) !=
      NPERR_NO_ERROR)
    return nullptr;
  return object;
}

}  // namespace npbrowser
