#include "entry/scriptable_object.h"

#include <new>
#include <string>

#include "entry/browser_funcs.h"
#include "entry/plugin.h"
#include "entry/refusal.h"

namespace {

// Module-wide: refreshed whenever a scriptable object is built.
NPIdentifier g_addEventListenerId = nullptr;

ScriptablePluginObjectBase* Self(NPObject* object) {
  return ScriptablePluginObjectBase::FromNPObject(object);
}

NPObject* NP_CALLBACK Allocate(NPP npp, NPClass*) {
  return new (std::nothrow) ScriptablePluginObject(npp);
}

void NP_CALLBACK Deallocate(NPObject* object) {
  if (object) delete Self(object);
}

void NP_CALLBACK Invalidate(NPObject* object) { Self(object)->Invalidate(); }

bool NP_CALLBACK HasMethod(NPObject* object, NPIdentifier name) {
  return Self(object)->HasMethod(name);
}

bool NP_CALLBACK Invoke(NPObject* object, NPIdentifier name, const NPVariant* args,
                        uint32_t argCount, NPVariant* result) {
  return Self(object)->Invoke(name, args, argCount, result);
}

bool NP_CALLBACK InvokeDefault(NPObject* object, const NPVariant* args, uint32_t argCount,
                               NPVariant* result) {
  return Self(object)->InvokeDefault(args, argCount, result);
}

bool NP_CALLBACK HasProperty(NPObject* object, NPIdentifier name) {
  return Self(object)->HasProperty(name);
}

bool NP_CALLBACK GetProperty(NPObject* object, NPIdentifier name, NPVariant* result) {
  return Self(object)->GetProperty(name, result);
}

bool NP_CALLBACK SetProperty(NPObject* object, NPIdentifier name, const NPVariant* value) {
  return Self(object)->SetProperty(name, value);
}

bool NP_CALLBACK RemoveProperty(NPObject* object, NPIdentifier name) {
  return Self(object)->RemoveProperty(name);
}

bool NP_CALLBACK Enumerate(NPObject* object, NPIdentifier** names, uint32_t* count) {
  return Self(object)->Enumerate(names, count);
}

bool NP_CALLBACK Construct(NPObject* object, const NPVariant* args, uint32_t argCount,
                           NPVariant* result) {
  return Self(object)->Construct(args, argCount, result);
}

const NPClass kScriptableClass = {
    NP_CLASS_STRUCT_VERSION,
    Allocate,
    Deallocate,
    Invalidate,
    HasMethod,
    Invoke,
    InvokeDefault,
    HasProperty,
    GetProperty,
    SetProperty,
    RemoveProperty,
    Enumerate,
    Construct,
};

}  // namespace

ScriptablePluginObject::ScriptablePluginObject(NPP npp) : ScriptablePluginObjectBase(npp) {
  g_addEventListenerId = NPN_GetStringIdentifier("AddEventListener");
}

NPClass* ScriptablePluginObject::Class() {
  // The browser takes a non-const pointer but never writes the class.
  return const_cast<NPClass*>(&kScriptableClass);
}

bool ScriptablePluginObject::HasMethod(NPIdentifier name) {
  if (name == g_addEventListenerId) return true;
  return m_pPlugin && m_pPlugin->HasMethod(name);
}

// A call that reaches the instance may run page script (through control
// events) before it returns; reasons recorded by the calls made meanwhile
// are taken by those calls, so what is left afterwards is this call's.
bool ScriptablePluginObject::Invoke(NPIdentifier name, const NPVariant* args, uint32_t argCount,
                                    NPVariant* result) {
  refusal::Take();
  if (name == g_addEventListenerId) return Report(AddEventListener(args, argCount));
  return Report(m_pPlugin && m_pPlugin->Invoke(name, args, argCount, result));
}

bool ScriptablePluginObject::InvokeDefault(const NPVariant*, uint32_t, NPVariant* result) {
  if (result) VOID_TO_NPVARIANT(*result);
  return true;
}

bool ScriptablePluginObject::HasProperty(NPIdentifier name) {
  return m_pPlugin && m_pPlugin->HasProperty(name);
}

bool ScriptablePluginObject::GetProperty(NPIdentifier name, NPVariant* result) {
  refusal::Take();
  return Report(m_pPlugin && m_pPlugin->GetProperty(name, result));
}

bool ScriptablePluginObject::SetProperty(NPIdentifier name, const NPVariant* value) {
  refusal::Take();
  return Report(m_pPlugin && m_pPlugin->SetProperty(name, value));
}

// Only a failed call gets an exception: a browser throws a pending one even
// from a call that returned true.
bool ScriptablePluginObject::Report(bool succeeded) {
  const std::string reason = refusal::Take();
  if (!succeeded && !reason.empty()) NPN_SetException(this, reason.c_str());
  return succeeded;
}

bool ScriptablePluginObject::AddEventListener(const NPVariant* args, uint32_t argCount) {
  if (!m_pPlugin) return true;
  if (argCount < 3 || !args)
    return refusal::Refuse(refusal::ArgumentCount("AddEventListener", 3, argCount));
  if (args[0].type == NPVariantType_String && args[1].type == NPVariantType_Object)
    m_pPlugin->AddEventListener(&args[0].value.stringValue, args[1].value.objectValue);
  return true;
}
