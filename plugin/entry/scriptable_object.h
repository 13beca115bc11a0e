// The scriptable object that page script holds for one plug-in instance: an
// NPObject with virtual operations behind one static NPClass.
#pragma once

#include "entry/npapi_abi.h"

class CPlugin;

class ScriptablePluginObjectBase : public NPObject {
 public:
  explicit ScriptablePluginObjectBase(NPP npp) : m_npp(npp) {}
  virtual ~ScriptablePluginObjectBase() = default;
  ScriptablePluginObjectBase(const ScriptablePluginObjectBase&) = delete;
  ScriptablePluginObjectBase& operator=(const ScriptablePluginObjectBase&) = delete;

  virtual void Invalidate() {}
  virtual bool HasMethod(NPIdentifier) { return false; }
  virtual bool Invoke(NPIdentifier, const NPVariant*, uint32_t, NPVariant*) { return false; }
  virtual bool InvokeDefault(const NPVariant*, uint32_t, NPVariant*) { return false; }
  virtual bool HasProperty(NPIdentifier) { return false; }
  virtual bool GetProperty(NPIdentifier, NPVariant*) { return false; }
  virtual bool SetProperty(NPIdentifier, const NPVariant*) { return false; }
  virtual bool RemoveProperty(NPIdentifier) { return false; }
  virtual bool Enumerate(NPIdentifier**, uint32_t*) { return false; }
  virtual bool Construct(const NPVariant*, uint32_t, NPVariant*) { return false; }

  static ScriptablePluginObjectBase* FromNPObject(NPObject* object) {
    return static_cast<ScriptablePluginObjectBase*>(object);
  }

 protected:
  NPP m_npp;
};

class ScriptablePluginObject : public ScriptablePluginObjectBase {
 public:
  explicit ScriptablePluginObject(NPP npp);

  // The class handed to NPN_CreateObject.
  static NPClass* Class();

  // The instance object this object speaks for; not a reference.
  void SetPlugin(CPlugin* plugin) { m_pPlugin = plugin; }

  bool HasMethod(NPIdentifier name) override;
  bool Invoke(NPIdentifier name, const NPVariant* args, uint32_t argCount,
              NPVariant* result) override;
  bool InvokeDefault(const NPVariant* args, uint32_t argCount, NPVariant* result) override;
  bool HasProperty(NPIdentifier name) override;
  bool GetProperty(NPIdentifier name, NPVariant* result) override;
  bool SetProperty(NPIdentifier name, const NPVariant* value) override;

 private:
  bool AddEventListener(const NPVariant* args, uint32_t argCount);
  // Hands the reason of a refused call to the browser as its exception.
  bool Report(bool succeeded);

  CPlugin* m_pPlugin = nullptr;
};
