// The browser's side of NPAPI: loads a plug-in DLL by path as a browser does,
// hands it a complete browser function table and keeps ledgers of what the
// plug-in creates through it (objects, memory), so its users (the page host,
// the plug-in's tests) can check references and leaks. NPAPI callbacks carry
// no context, so there is one Browser per process.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <utility>
#include <string>
#include <vector>

#include "entry/npapi_abi.h"
#include "script_values.h"

namespace npbrowser {

// What a script function saw in one call.
struct ScriptCall {
  std::vector<Value> args;
};

// A page-script function: calling it (NPN_InvokeDefault) records the call
// (unless `record` is off) and counts it, then runs `body`, which may set the
// function's result, and may set `failed` to make the call report failure.
// The body and what it holds are destroyed with the function.
struct ScriptFunction : NPObject {
  std::vector<ScriptCall> calls;
  size_t callCount = 0;
  bool record = true;
  bool failed = false;
  std::function<void(const NPVariant* args, uint32_t argCount, NPVariant* result)> body;
};

// Where the shown page comes from, as the browser tells the plug-in: the
// document's origin (NPNVdocumentOrigin) and the window object's
// location.href (NPNVWindowNPObject). Browsers differ in which they answer.
struct PageAddress {
  enum class Answers { OriginAndLocation, LocationOnly, None };
  std::string origin;
  std::string href;
  Answers answers = Answers::OriginAndLocation;
};

// A page of the maker's site, what the stand-in shows unless told otherwise.
PageAddress MakerPage();

class Browser {
 public:
  static Browser& Get();

  // Loads the DLL and looks up the three exports by their plain names.
  bool Load(const std::wstring& dllPath);
  // NP_GetEntryPoints and NP_Initialize with full tables, as a browser does.
  NPError Start();
  void Shutdown();
  // Lets go of the plug-in DLL, after Shutdown.
  void Unload();

  NP_GetEntryPointsFunc getEntryPoints = nullptr;
  NP_InitializeFunc initialize = nullptr;
  NP_ShutdownFunc shutdown = nullptr;
  const NPPluginFuncs& PluginFuncs() const { return m_pluginFuncs; }

  // The browser's function table as a current browser sends it.
  static NPNetscapeFuncs FullBrowserFuncs();
  // A plug-in table of the size a current browser offers.
  static NPPluginFuncs EmptyPluginFuncs();

  NPIdentifier Identifier(const char* name);
  // The name of a string identifier, or "" for none.
  std::string IdentifierName(NPIdentifier id) const;
  size_t IdentifierCount() const { return m_identifiers.size(); }

  ScriptFunction* NewFunction();
  NPObject* Retain(NPObject* object);
  void Release(NPObject* object);
  bool IsLive(NPObject* object) const { return m_liveObjects.count(object) != 0; }
  size_t LiveObjects() const { return m_liveObjects.size(); }
  size_t ObjectsCreated() const { return m_objectsCreated; }
  // Objects of the plug-in's own classes still alive.
  size_t LivePluginObjects() const;
  size_t OutstandingAllocations() const { return m_allocations.size(); }
  // The allocation after the next `count` ones fails (returns null), once.
  void FailAllocationAfter(int count) { m_allocationsBeforeFailure = count; }
  size_t BadFrees() const { return m_badFrees; }
  size_t BadReleases() const { return m_badReleases; }
  void ReleaseVariant(NPVariant* variant);

  // Script's view of an object: hasMethod then invoke, as an engine does.
  bool Call(NPObject* object, const char* method, const std::vector<NPVariant>& args,
            NPVariant* result);
  bool CallDefault(NPObject* object, const std::vector<NPVariant>& args, NPVariant* result);
  bool SetProperty(NPObject* object, const char* name, const NPVariant& value);
  bool GetProperty(NPObject* object, const char* name, NPVariant* result);
  // The same by identifier, each one step as the engine takes it.
  bool HasMethod(NPObject* object, NPIdentifier name);
  bool HasProperty(NPObject* object, NPIdentifier name);
  bool Invoke(NPObject* object, NPIdentifier name, const NPVariant* args, uint32_t argCount,
              NPVariant* result);
  bool InvokeDefault(NPObject* object, const NPVariant* args, uint32_t argCount, NPVariant* result);
  bool GetProperty(NPObject* object, NPIdentifier name, NPVariant* result);
  bool SetProperty(NPObject* object, NPIdentifier name, const NPVariant* value);
  // The text of the last NPN_SetException, taken (empty when none came).
  std::string TakeException();

  void SetPageAddress(const PageAddress& address) { m_address = address; }
  const PageAddress& Address() const { return m_address; }
  // A copy of the text in memory of MemAlloc, as the browser hands out strings.
  char* NewString(const std::string& text);

  HWND TopWindow();
  // Gives the top window a client area of this size.
  void SetPageSize(int width, int height);
  // A new child window of the top window, as a browser gives each embed.
  HWND NewPluginWindow(int width, int height);
  HWND NewPluginWindow(int x, int y, int width, int height);
  void PumpMessages();

  // Browser-side entry points (called through the function table).
  void* MemAlloc(uint32_t size);
  void MemFree(void* ptr);
  NPObject* CreateObject(NPP npp, NPClass* aClass);
  void SetException(const char* message);

 private:
  Browser() = default;

  struct IdentifierRecord {
    std::string name;
  };

  HMODULE m_module = nullptr;
  NPPluginFuncs m_pluginFuncs = {};
  NPNetscapeFuncs m_browserFuncs = {};
  std::map<std::string, std::unique_ptr<IdentifierRecord>> m_identifiers;
  std::set<NPObject*> m_liveObjects;
  size_t m_objectsCreated = 0;
  std::map<void*, uint32_t> m_allocations;
  size_t m_badFrees = 0;
  int m_allocationsBeforeFailure = -1;
  size_t m_badReleases = 0;
  HWND m_topWindow = nullptr;
  std::string m_exception;
  PageAddress m_address = MakerPage();
};

// One reference to a browser object, released when let go.
class ObjectRef {
 public:
  ObjectRef() = default;
  // Adopts a reference the caller holds (a new object's, or one handed out).
  static ObjectRef Adopt(NPObject* object) { return ObjectRef(object); }
  static ObjectRef Retain(NPObject* object) { return ObjectRef(Browser::Get().Retain(object)); }
  ~ObjectRef() { Reset(); }
  ObjectRef(const ObjectRef&) = delete;
  ObjectRef& operator=(const ObjectRef&) = delete;
  ObjectRef(ObjectRef&& other) noexcept : m_object(other.m_object) { other.m_object = nullptr; }
  ObjectRef& operator=(ObjectRef&& other) noexcept {
    if (this != &other) {
      Reset();
      m_object = other.m_object;
      other.m_object = nullptr;
    }
    return *this;
  }
  NPObject* Get() const { return m_object; }
  explicit operator bool() const { return m_object != nullptr; }
  void Reset() {
    NPObject* object = m_object;
    m_object = nullptr;
    if (object) Browser::Get().Release(object);
  }

 private:
  explicit ObjectRef(NPObject* object) : m_object(object) {}
  NPObject* m_object = nullptr;
};

// A variant whose value the browser releases when it goes (a call's result).
class ScopedVariant {
 public:
  ScopedVariant() { VOID_TO_NPVARIANT(m_variant); }
  ~ScopedVariant() { Browser::Get().ReleaseVariant(&m_variant); }
  ScopedVariant(const ScopedVariant&) = delete;
  ScopedVariant& operator=(const ScopedVariant&) = delete;
  NPVariant* Out() { return &m_variant; }
  const NPVariant& Get() const { return m_variant; }

 private:
  NPVariant m_variant;
};

// One embed element: an NPP and its window record.
class PluginInstance {
 public:
  PluginInstance() = default;
  ~PluginInstance();
  PluginInstance(const PluginInstance&) = delete;
  PluginInstance& operator=(const PluginInstance&) = delete;

  NPError New(const char* mimeType = "application/orvane-zumipictavoex2-plugin");
  // With the embed element's attributes (name, value) as argn and argv.
  NPError New(const char* mimeType,
              const std::vector<std::pair<std::string, std::string>>& attributes);
  NPError SetWindow(HWND window, uint32_t width, uint32_t height,
                    NPWindowType type = NPWindowTypeWindow);
  NPError Destroy();
  // NPP_GetValue for the scriptable object: the browser's reference.
  NPObject* Scriptable();

  NPP npp() { return &m_npp; }
  bool Created() const { return m_created; }
  NPWindow& window() { return m_window; }

 private:
  NPP_t m_npp = {};
  NPWindow m_window = {};
  bool m_created = false;
};

}  // namespace npbrowser
