#include "entry/browser_funcs.h"

#include <string.h>

namespace {

// Entries after setexception (newer browsers) are neither copied nor used.
constexpr size_t kCopiedBytes = offsetof(NPNetscapeFuncs, setexception) + sizeof(void*);

NPNetscapeFuncs g_browser = {};

}  // namespace

void StoreBrowserFuncs(const NPNetscapeFuncs* funcs) {
  g_browser = NPNetscapeFuncs{};
  memcpy(&g_browser, funcs, kCopiedBytes);
}

NPIdentifier NPN_GetStringIdentifier(const NPUTF8* name) {
  return g_browser.getstringidentifier ? g_browser.getstringidentifier(name) : nullptr;
}

NPObject* NPN_CreateObject(NPP npp, NPClass* aClass) {
  return g_browser.createobject ? g_browser.createobject(npp, aClass) : nullptr;
}

NPObject* NPN_RetainObject(NPObject* obj) {
  return g_browser.retainobject && obj ? g_browser.retainobject(obj) : obj;
}

void NPN_ReleaseObject(NPObject* obj) {
  if (g_browser.releaseobject && obj) g_browser.releaseobject(obj);
}

bool NPN_InvokeDefault(NPP npp, NPObject* obj, const NPVariant* args, uint32_t argCount,
                       NPVariant* result) {
  return g_browser.invokeDefault && obj &&
         g_browser.invokeDefault(npp, obj, args, argCount, result);
}

void NPN_ReleaseVariantValue(NPVariant* variant) {
  if (g_browser.releasevariantvalue && variant) g_browser.releasevariantvalue(variant);
}

void* NPN_MemAlloc(uint32_t size) {
  return g_browser.memalloc ? g_browser.memalloc(size) : nullptr;
}

void NPN_MemFree(void* ptr) {
  if (g_browser.memfree && ptr) g_browser.memfree(ptr);
}

NPError NPN_GetValue(NPP instance, NPNVariable variable, void* value) {
  return g_browser.getvalue ? g_browser.getvalue(instance, variable, value) : NPERR_GENERIC_ERROR;
}

bool NPN_GetProperty(NPP npp, NPObject* obj, NPIdentifier propertyName, NPVariant* result) {
  return g_browser.getproperty && obj && g_browser.getproperty(npp, obj, propertyName, result);
}

// The browser copies the message.
void NPN_SetException(NPObject* obj, const NPUTF8* message) {
  if (g_browser.setexception && message) g_browser.setexception(obj, message);
}
