// The module's copy of the browser function table and the browser functions
// the plug-in calls through it. Every call goes through the copy that
// NP_Initialize made; before that, calls do nothing and return null or false.
#pragma once

#include "entry/npapi_abi.h"

// Copies size, version and the entries from geturl to setexception.
void StoreBrowserFuncs(const NPNetscapeFuncs* funcs);

NPIdentifier NPN_GetStringIdentifier(const NPUTF8* name);
NPObject* NPN_CreateObject(NPP npp, NPClass* aClass);
NPObject* NPN_RetainObject(NPObject* obj);
void NPN_ReleaseObject(NPObject* obj);
bool NPN_InvokeDefault(NPP npp, NPObject* obj, const NPVariant* args, uint32_t argCount,
                       NPVariant* result);
void NPN_ReleaseVariantValue(NPVariant* variant);
void* NPN_MemAlloc(uint32_t size);
void NPN_MemFree(void* ptr);
NPError NPN_GetValue(NPP instance, NPNVariable variable, void* value);
bool NPN_GetProperty(NPP npp, NPObject* obj, NPIdentifier propertyName, NPVariant* result);
void NPN_SetException(NPObject* obj, const NPUTF8* message);

// Owns the value of one variant and releases it with NPN_ReleaseVariantValue.
class ScopedNPVariant {
 public:
  ScopedNPVariant() { VOID_TO_NPVARIANT(m_value); }
  ~ScopedNPVariant() { NPN_ReleaseVariantValue(&m_value); }
  ScopedNPVariant(const ScopedNPVariant&) = delete;
  ScopedNPVariant& operator=(const ScopedNPVariant&) = delete;
  NPVariant* Get() { return &m_value; }

 private:
  NPVariant m_value;
};
