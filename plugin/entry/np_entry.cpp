// The three NPAPI exports and the plug-in callbacks handed to the browser.
#include <windows.h>

#include <new>

#include "entry/browser_funcs.h"
#include "entry/instance_reaper.h"
#include "entry/my_adapter.h"
#include "entry/npapi_abi.h"

namespace {

const char kPluginName[] = "RUVororevOrir";
const char kPluginDescription[] = "NPRuntime scriptability API test plugin";

// The browser's table must reach setvalue (60 bytes) and its own must reach
// construct (184 bytes).
constexpr uint16_t kMinPluginFuncsSize = offsetof(NPPluginFuncs, setvalue) + sizeof(void*);
constexpr uint16_t kMinBrowserFuncsSize = offsetof(NPNetscapeFuncs, construct) + sizeof(void*);
static_assert(kMinPluginFuncsSize == 60 && kMinBrowserFuncsSize == 184, "table sizes");

CMyAdapter* Adapter(NPP instance) { return static_cast<CMyAdapter*>(instance->pdata); }

NPError NP_CALLBACK NPP_New(NPMIMEType, NPP instance, uint16_t, int16_t, char**, char**,
                            NPSavedData*) {
  if (!instance) return NPERR_INVALID_INSTANCE_ERROR;
  CMyAdapter* adapter = new (std::nothrow) CMyAdapter(instance);
  if (!adapter) return NPERR_OUT_OF_MEMORY_ERROR;
  instance->pdata = adapter;
  return NPERR_NO_ERROR;
}

NPError NP_CALLBACK NPP_Destroy(NPP instance, NPSavedData**) {
  if (!instance) return NPERR_INVALID_INSTANCE_ERROR;
  if (CMyAdapter* adapter = Adapter(instance)) {
    instance->pdata = nullptr;
    adapter->Destroy();
  }
  return NPERR_NO_ERROR;
}

NPError NP_CALLBACK NPP_SetWindow(NPP instance, NPWindow* window) {
  if (!instance) return NPERR_INVALID_INSTANCE_ERROR;
  if (!window) return NPERR_GENERIC_ERROR;
  CMyAdapter* adapter = Adapter(instance);
  if (!adapter) return NPERR_GENERIC_ERROR;
  if (!adapter->IsAttached() && window->window) {
    if (!adapter->Attach(window)) {
      adapter->Detach();
      delete adapter;
      instance->pdata = nullptr;
      return NPERR_MODULE_LOAD_FAILED_ERROR;
    }
  }
  if (adapter->IsAttached() && window->window && window->type == NPWindowTypeWindow &&
      IsWindow(static_cast<HWND>(window->window))) {
    adapter->ResizeHost(static_cast<int32_t>(window->width), static_cast<int32_t>(window->height));
    NPVariant scratch;
    VOID_TO_NPVARIANT(scratch);
    adapter->Invoke(NPN_GetStringIdentifier("InvalidateAll"), nullptr, 0, &scratch);
  }
  return NPERR_NO_ERROR;
}

NPError NP_CALLBACK NPP_NewStream(NPP instance, NPMIMEType, NPStream*, NPBool, uint16_t*) {
  return instance ? NPERR_NO_ERROR : NPERR_INVALID_INSTANCE_ERROR;
}

NPError NP_CALLBACK NPP_DestroyStream(NPP instance, NPStream*, NPReason) {
  return instance ? NPERR_NO_ERROR : NPERR_INVALID_INSTANCE_ERROR;
}

void NP_CALLBACK NPP_StreamAsFile(NPP, NPStream*, const char*) {}

int32_t NP_CALLBACK NPP_WriteReady(NPP instance, NPStream*) {
  return instance ? 0x0FFFFFFF : NPERR_INVALID_INSTANCE_ERROR;
}

int32_t NP_CALLBACK NPP_Write(NPP instance, NPStream*, int32_t, int32_t len, void*) {
  return instance ? len : NPERR_INVALID_INSTANCE_ERROR;
}

void NP_CALLBACK NPP_Print(NPP, NPPrint*) {}

int16_t NP_CALLBACK NPP_HandleEvent(NPP, void*) { return 0; }

void NP_CALLBACK NPP_URLNotify(NPP, const char*, NPReason, void*) {}

NPError NP_CALLBACK NPP_GetValue(NPP instance, NPPVariable variable, void* value) {
  if (!instance) return NPERR_INVALID_INSTANCE_ERROR;
  CMyAdapter* adapter = Adapter(instance);
  if (!adapter || !value) return NPERR_GENERIC_ERROR;
  switch (variable) {
    case NPPVpluginNameString:
      *static_cast<const char**>(value) = kPluginName;
      return NPERR_NO_ERROR;
    case NPPVpluginDescriptionString:
      *static_cast<const char**>(value) = kPluginDescription;
      return NPERR_NO_ERROR;
    case NPPVpluginScriptableNPObject:
      *static_cast<NPObject**>(value) = adapter->GetScriptableObject();
      return NPERR_NO_ERROR;
    default:
      return NPERR_GENERIC_ERROR;
  }
}

NPError NP_CALLBACK NPP_SetValue(NPP instance, NPNVariable, void*) {
  return instance ? NPERR_NO_ERROR : NPERR_INVALID_INSTANCE_ERROR;
}

}  // namespace

extern "C" {

NPError NP_EXPORT_CALL NP_GetEntryPoints(NPPluginFuncs* funcs) {
  if (!funcs || funcs->size < kMinPluginFuncsSize) return NPERR_INVALID_FUNCTABLE_ERROR;
  funcs->version = (NP_VERSION_MAJOR << 8) | NP_VERSION_MINOR;
  funcs->newp = NPP_New;
  funcs->destroy = NPP_Destroy;
  funcs->setwindow = NPP_SetWindow;
  funcs->newstream = NPP_NewStream;
  funcs->destroystream = NPP_DestroyStream;
  funcs->asfile = NPP_StreamAsFile;
  funcs->writeready = NPP_WriteReady;
  funcs->write = NPP_Write;
  funcs->print = NPP_Print;
  funcs->event = NPP_HandleEvent;
  funcs->urlnotify = NPP_URLNotify;
  funcs->javaClass = nullptr;
  funcs->getvalue = NPP_GetValue;
  funcs->setvalue = NPP_SetValue;
  return NPERR_NO_ERROR;
}

NPError NP_EXPORT_CALL NP_Initialize(NPNetscapeFuncs* funcs) {
  if (!funcs) return NPERR_INVALID_FUNCTABLE_ERROR;
  if ((funcs->version >> 8) > NP_VERSION_MAJOR) return NPERR_INCOMPATIBLE_VERSION_ERROR;
  if (funcs->size < kMinBrowserFuncsSize) return NPERR_INVALID_FUNCTABLE_ERROR;
  StoreBrowserFuncs(funcs);
  return NPERR_NO_ERROR;
}

// Instances still waiting for their tear-down end now.
NPError NP_EXPORT_CALL NP_Shutdown(void) {
  reaper::ReapNow(true);
  reaper::Close();
  return NPERR_NO_ERROR;
}

}  // extern "C"
