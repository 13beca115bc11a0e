#include "script_engine.h"

#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <deque>

#include "page_text.h"

namespace pagehost {
namespace {

// One engine per process, as there is one browser.
ScriptEngine* g_engine = nullptr;

const char kSlot[] = DUK_HIDDEN_SYMBOL("slot");
const char kIdentifier[] = DUK_HIDDEN_SYMBOL("id");
const char kMethods[] = DUK_HIDDEN_SYMBOL("methods");
const char kHandler[] = DUK_HIDDEN_SYMBOL("handler");
const char kWrappers[] = DUK_HIDDEN_SYMBOL("wrappers");
const char kFunctions[] = DUK_HIDDEN_SYMBOL("functions");
const char kTimers[] = DUK_HIDDEN_SYMBOL("timers");

void Fatal(void*, const char* message) {
  fprintf(stderr, "pagehost: script engine failure: %s\n", message ? message : "");
  fflush(stderr);
  abort();
}

// The stash object `name` of the heap stash, pushed.
void PushStashObject(duk_context* ctx, const char* name) {
  duk_push_heap_stash(ctx);
  if (!duk_get_prop_string(ctx, -1, name)) {
    duk_pop(ctx);
    duk_push_object(ctx);
    duk_dup_top(ctx);
    duk_put_prop_string(ctx, -3, name);
  }
  duk_remove(ctx, -2);
}

std::string EngineString(duk_context* ctx, duk_idx_t index) {
  duk_size_t length = 0;
  const char* text = duk_get_lstring(ctx, index, &length);
  return text ? EngineToUtf8(text, length) : std::string();
}

void PushUtf8(duk_context* ctx, const char* text, size_t length) {
  const std::string engine = Utf8ToEngine(text, length);
  duk_push_lstring(ctx, engine.data(), engine.size());
}

// The text of every argument, joined by spaces, as console.log prints it.
std::string JoinedArguments(duk_context* ctx) {
  std::string line;
  const duk_idx_t count = duk_get_top(ctx);
  for (duk_idx_t i = 0; i < count; ++i) {
    if (i) line += ' ';
    duk_dup(ctx, i);
    duk_size_t length = 0;
    const char* text = duk_safe_to_lstring(ctx, -1, &length);
    line += EngineToUtf8(text, length);
    duk_pop(ctx);
  }
  return line;
}

// Reads what an error value says, inside a safe call: [error] -> [text].
duk_ret_t DescribeError(duk_context* ctx, void* where) {
  std::string file = *static_cast<const std::string*>(where);
  int line = 0;
  if (duk_is_object(ctx, -1)) {
    if (duk_get_prop_string(ctx, -1, "fileName") && duk_is_string(ctx, -1))
      file = EngineString(ctx, -1);
    duk_pop(ctx);
    if (duk_get_prop_string(ctx, -1, "lineNumber")) line = duk_to_int(ctx, -1);
    duk_pop(ctx);
  }
  // The stack trace, when there is one, also shows where the page called
  // the function that threw.
  std::string description;
  if (duk_is_object(ctx, -1)) {
    if (duk_get_prop_string(ctx, -1, "stack") && duk_is_string(ctx, -1))
      description = EngineString(ctx, -1);
    duk_pop(ctx);
  }
  if (description.empty()) {
    duk_size_t length = 0;
    const char* text = duk_safe_to_lstring(ctx, -1, &length);
    description = EngineToUtf8(text, length);
  }
  std::string report =
      file + (line > 0 ? ":" + std::to_string(line) : std::string()) + ": " + description;
  duk_pop(ctx);
  duk_push_lstring(ctx, report.data(), report.size());
  return 1;
}

}  // namespace

// The values of one call into the plug-in and what they need to live.
class ScriptEngine::Arguments {
 public:
  std::vector<NPVariant> values;
  std::deque<std::string> texts;
  std::vector<npbrowser::ObjectRef> created;
};

ScriptEngine& ScriptEngine::Of(duk_context*) { return *g_engine; }

std::string ScriptEngine::StringAt(duk_context* ctx, duk_idx_t index) {
  return EngineString(ctx, index);
}

void ScriptEngine::PushString(duk_context* ctx, const std::string& utf8) {
  PushUtf8(ctx, utf8.data(), utf8.size());
}

ScriptEngine::ScriptEngine() : m_self(std::make_shared<ScriptEngine*>(this)) {
  LARGE_INTEGER value;
  QueryPerformanceFrequency(&value);
  m_frequency = value.QuadPart;
  QueryPerformanceCounter(&value);
  m_start = value.QuadPart;
  g_engine = this;
  m_ctx = duk_create_heap(nullptr, nullptr, nullptr, nullptr, Fatal);
  if (!m_ctx) Fatal(nullptr, "no heap");
  InstallGlobals();
}

ScriptEngine::~ScriptEngine() {
  *m_self = nullptr;
  m_wrapped.clear();
  duk_destroy_heap(m_ctx);
  if (g_engine == this) g_engine = nullptr;
}

double ScriptEngine::Now() const {
  LARGE_INTEGER value;
  QueryPerformanceCounter(&value);
  return (value.QuadPart - m_start) * 1000.0 / m_frequency;
}

void ScriptEngine::InstallGlobals() {
  duk_context* ctx = m_ctx;
  duk_push_global_object(ctx);
  duk_dup_top(ctx);
  duk_put_prop_string(ctx, -2, "window");
  duk_push_c_function(ctx, WindowClose, 0);
  duk_put_prop_string(ctx, -2, "close");
  duk_push_c_function(ctx, SetTimeout, DUK_VARARGS);
  duk_put_prop_string(ctx, -2, "setTimeout");
  duk_push_c_function(ctx, ClearTimeout, 1);
  duk_put_prop_string(ctx, -2, "clearTimeout");
  duk_push_c_function(ctx, SetInterval, DUK_VARARGS);
  duk_put_prop_string(ctx, -2, "setInterval");
  duk_push_c_function(ctx, ClearTimeout, 1);
  duk_put_prop_string(ctx, -2, "clearInterval");

  duk_push_object(ctx);  // console
  for (const char* name : {"log", "info", "warn", "error", "debug"}) {
    duk_push_c_function(ctx, ConsoleLog, DUK_VARARGS);
    duk_put_prop_string(ctx, -2, name);
  }
  duk_put_prop_string(ctx, -2, "console");

  duk_push_object(ctx);  // performance
  duk_push_c_function(ctx, PerformanceNow, 0);
  duk_put_prop_string(ctx, -2, "now");
  duk_put_prop_string(ctx, -2, "performance");

  duk_push_object(ctx);  // document
  duk_push_c_function(ctx, GetElementById, 1);
  duk_put_prop_string(ctx, -2, "getElementById");
  duk_push_array(ctx);
  duk_put_prop_string(ctx, -2, "embeds");
  duk_put_prop_string(ctx, -2, "document");
  duk_pop(ctx);

  // The one handler of every element object.
  duk_push_heap_stash(ctx);
  duk_push_object(ctx);
  const struct {
    const char* name;
    duk_c_function trap;
  } traps[] = {{"get", TrapGet}, {"set", TrapSet}, {"has", TrapHas}, {"apply", TrapApply}};
  for (const auto& trap : traps) {
    duk_push_c_function(ctx, trap.trap, DUK_VARARGS);
    duk_put_prop_string(ctx, -2, trap.name);
  }
  duk_put_prop_string(ctx, -2, kHandler);
  duk_pop(ctx);
}

// --- Element objects ----------------------------------------------------------

void ScriptEngine::PushWrapper(NPObject* object, NPP npp, const EmbedElement* element, bool adopt) {
  duk_context* ctx = m_ctx;
  auto known = object ? m_slotOfObject.find(object) : m_slotOfObject.end();
  if (known != m_slotOfObject.end()) {
    if (adopt) npbrowser::ObjectRef::Adopt(object);  // drops the extra reference
    PushStashObject(ctx, kWrappers);
    duk_get_prop_index(ctx, -1, static_cast<duk_uarridx_t>(known->second));
    duk_remove(ctx, -2);
    return;
  }
  const int slot = m_nextSlot++;
  Wrapped& wrapped = m_wrapped[slot];
  wrapped.object =
      adopt ? npbrowser::ObjectRef::Adopt(object) : npbrowser::ObjectRef::Retain(object);
  wrapped.npp = npp;
  wrapped.element = element;
  if (object) m_slotOfObject[object] = slot;

  // A callable target, so that calling the element object reaches the apply
  // trap (the plug-in's default method).
  duk_push_c_function(ctx, TargetCall, DUK_VARARGS);
  duk_push_int(ctx, slot);
  duk_put_prop_string(ctx, -2, kSlot);
  duk_push_object(ctx);
  duk_put_prop_string(ctx, -2, kMethods);
  duk_push_heap_stash(ctx);
  duk_get_prop_string(ctx, -1, kHandler);
  duk_remove(ctx, -2);
  duk_push_proxy(ctx, 0);
  m_slotOfProxy[duk_get_heapptr(ctx, -1)] = slot;
  PushStashObject(ctx, kWrappers);
  duk_dup(ctx, -2);
  duk_put_prop_index(ctx, -2, static_cast<duk_uarridx_t>(slot));
  duk_pop(ctx);
}

void ScriptEngine::AddEmbed(const EmbedElement& element, NPObject* object, NPP npp) {
  m_elements.push_back(std::make_unique<EmbedElement>(element));
  duk_context* ctx = m_ctx;
  duk_get_global_string(ctx, "document");
  duk_get_prop_string(ctx, -1, "embeds");
  PushWrapper(object, npp, m_elements.back().get(), true);
  duk_put_prop_index(ctx, -2, static_cast<duk_uarridx_t>(duk_get_length(ctx, -2)));
  duk_pop_2(ctx);
}

void ScriptEngine::ReleaseObjectsOf(NPP npp) {
  for (auto& entry : m_wrapped) {
    if (entry.second.npp != npp || !entry.second.object) continue;
    m_slotOfObject.erase(entry.second.object.Get());
    entry.second.object.Reset();
  }
}

NPObject* ScriptEngine::NPObjectAt(duk_idx_t index) const {
  void* heapPointer = duk_get_heapptr(m_ctx, index);
  auto slot = heapPointer ? m_slotOfProxy.find(heapPointer) : m_slotOfProxy.end();
  if (slot == m_slotOfProxy.end()) return nullptr;
  auto wrapped = m_wrapped.find(slot->second);
  return wrapped == m_wrapped.end() ? nullptr : wrapped->second.object.Get();
}

ScriptEngine::Wrapped& ScriptEngine::WrappedAt(duk_idx_t target) {
  duk_get_prop_string(m_ctx, target, kSlot);
  const int slot = duk_get_int(m_ctx, -1);
  duk_pop(m_ctx);
  return m_wrapped[slot];
}

void ScriptEngine::Throw(duk_context* ctx, const std::string& message) {
  // No C++ file and line: the error names the script's place.
  duk_error_raw(ctx, DUK_ERR_ERROR, nullptr, 0, "%s", message.c_str());
  abort();  // not reached: the engine throws
}

namespace {

const char* GoneText() { return "the plug-in of this element is no longer running"; }

// What a property of the element itself gives when the plug-in has no member
// of that name: its attributes, its tag name and its text form.
bool PushElementProperty(duk_context* ctx, const EmbedElement* element, const std::string& name) {
  if (!element) return false;
  if (name == "tagName" || name == "nodeName") {
    duk_push_string(ctx, "EMBED");
    return true;
  }
  for (const auto& attribute : element->attributes) {
    if (attribute.first == name) {
      PushUtf8(ctx, attribute.second.data(), attribute.second.size());
      return true;
    }
  }
  return false;
}

duk_ret_t ElementText(duk_context* ctx) {
  duk_push_string(ctx, "[object HTMLEmbedElement]");
  return 1;
}

}  // namespace

duk_ret_t ScriptEngine::TargetCall(duk_context*) { return 0; }

// get(target, key, receiver)
duk_ret_t ScriptEngine::TrapGet(duk_context* ctx) {
  ScriptEngine& engine = Of(ctx);
  Wrapped& wrapped = engine.WrappedAt(0);
  if (duk_is_symbol(ctx, 1) || !duk_is_string(ctx, 1)) {
    duk_dup(ctx, 1);
    duk_get_prop(ctx, 0);
    return 1;
  }
  const std::string name = EngineString(ctx, 1);
  npbrowser::Browser& browser = npbrowser::Browser::Get();
  if (NPObject* object = wrapped.object.Get()) {
    NPIdentifier id = browser.Identifier(name.c_str());
    if (browser.HasMethod(object, id)) {
      duk_get_prop_string(ctx, 0, kMethods);
      if (duk_get_prop_string(ctx, -1, name.c_str())) return 1;
      duk_pop(ctx);
      duk_push_c_function(ctx, MethodCall, DUK_VARARGS);
      duk_get_prop_string(ctx, 0, kSlot);
      duk_put_prop_string(ctx, -2, kSlot);
      duk_push_pointer(ctx, id);
      duk_put_prop_string(ctx, -2, kIdentifier);
      duk_dup_top(ctx);
      duk_put_prop_string(ctx, -3, name.c_str());
      return 1;
    }
    if (browser.HasProperty(object, id)) {
      npbrowser::ScopedVariant result;
      if (!browser.GetProperty(object, id, result.Out())) {
        std::string text = browser.TakeException();
        Throw(ctx, text.empty() ? "reading the plug-in's property " + name + " failed" : text);
      }
      engine.PushVariant(result.Get(), wrapped.npp);
      return 1;
    }
  }
  if (PushElementProperty(ctx, wrapped.element, name)) return 1;
  if (name == "toString") {
    duk_push_c_function(ctx, ElementText, 0);
    return 1;
  }
  duk_dup(ctx, 1);
  duk_get_prop(ctx, 0);
  return 1;
}

// set(target, key, value, receiver)
duk_ret_t ScriptEngine::TrapSet(duk_context* ctx) {
  ScriptEngine& engine = Of(ctx);
  Wrapped& wrapped = engine.WrappedAt(0);
  npbrowser::Browser& browser = npbrowser::Browser::Get();
  if (duk_is_string(ctx, 1) && !duk_is_symbol(ctx, 1) && wrapped.object) {
    const std::string name = EngineString(ctx, 1);
    NPIdentifier id = browser.Identifier(name.c_str());
    if (browser.HasProperty(wrapped.object.Get(), id)) {
      Arguments store;
      NPVariant value;
      engine.ToVariant(2, store, &value);
      if (!browser.SetProperty(wrapped.object.Get(), id, &value)) {
        std::string text = browser.TakeException();
        Throw(ctx, text.empty() ? "setting the plug-in's property " + name + " failed" : text);
      }
      duk_push_true(ctx);
      return 1;
    }
  }
  // Anything else becomes a property of the element itself.
  duk_dup(ctx, 1);
  duk_dup(ctx, 2);
  duk_put_prop(ctx, 0);
  duk_push_true(ctx);
  return 1;
}

// has(target, key)
duk_ret_t ScriptEngine::TrapHas(duk_context* ctx) {
  ScriptEngine& engine = Of(ctx);
  Wrapped& wrapped = engine.WrappedAt(0);
  npbrowser::Browser& browser = npbrowser::Browser::Get();
  bool has = false;
  if (duk_is_string(ctx, 1) && !duk_is_symbol(ctx, 1) && wrapped.object) {
    NPIdentifier id = browser.Identifier(EngineString(ctx, 1).c_str());
    has = browser.HasMethod(wrapped.object.Get(), id) ||
          browser.HasProperty(wrapped.object.Get(), id);
  }
  if (!has) {
    duk_dup(ctx, 1);
    has = duk_has_prop(ctx, 0);
  }
  duk_push_boolean(ctx, has);
  return 1;
}

// apply(target, this, arguments): calling the element object itself.
duk_ret_t ScriptEngine::TrapApply(duk_context* ctx) {
  ScriptEngine& engine = Of(ctx);
  Wrapped& wrapped = engine.WrappedAt(0);
  if (!wrapped.object) Throw(ctx, GoneText());
  Arguments store;
  const duk_size_t count = duk_get_length(ctx, 2);
  store.values.resize(count);
  for (duk_size_t i = 0; i < count; ++i) {
    duk_get_prop_index(ctx, 2, static_cast<duk_uarridx_t>(i));
    engine.ToVariant(-1, store, &store.values[i]);
    duk_pop(ctx);
  }
  npbrowser::Browser& browser = npbrowser::Browser::Get();
  npbrowser::ScopedVariant result;
  if (!browser.InvokeDefault(wrapped.object.Get(), store.values.data(),
                             static_cast<uint32_t>(count), result.Out())) {
    std::string text = browser.TakeException();
    Throw(ctx, text.empty() ? "calling the plug-in object failed" : text);
  }
  engine.PushVariant(result.Get(), wrapped.npp);
  return 1;
}

// A method of the plug-in object: hasMethod said yes when script read it.
duk_ret_t ScriptEngine::MethodCall(duk_context* ctx) {
  ScriptEngine& engine = Of(ctx);
  const duk_idx_t count = duk_get_top(ctx);
  duk_push_current_function(ctx);
  Wrapped& wrapped = engine.WrappedAt(-1);
  duk_get_prop_string(ctx, -1, kIdentifier);
  NPIdentifier id = duk_get_pointer(ctx, -1);
  duk_pop_2(ctx);
  npbrowser::Browser& browser = npbrowser::Browser::Get();
  if (!wrapped.object) Throw(ctx, GoneText());
  Arguments store;
  store.values.resize(count);
  for (duk_idx_t i = 0; i < count; ++i) engine.ToVariant(i, store, &store.values[i]);
  npbrowser::ScopedVariant result;
  if (!browser.Invoke(wrapped.object.Get(), id, store.values.data(), static_cast<uint32_t>(count),
                      result.Out())) {
    std::string text = browser.TakeException();
    Throw(ctx,
          text.empty() ? "the plug-in's method " + browser.IdentifierName(id) + " failed" : text);
  }
  engine.PushVariant(result.Get(), wrapped.npp);
  return 1;
}

// --- Values ---------------------------------------------------------------------

void ScriptEngine::ToVariant(duk_idx_t index, Arguments& store, NPVariant* out) {
  duk_context* ctx = m_ctx;
  switch (duk_get_type(ctx, index)) {
    case DUK_TYPE_NULL:
      NULL_TO_NPVARIANT(*out);
      return;
    case DUK_TYPE_BOOLEAN:
      BOOLEAN_TO_NPVARIANT(duk_get_boolean(ctx, index) != 0, *out);
      return;
    case DUK_TYPE_NUMBER: {
      const double number = duk_get_number(ctx, index);
      int32_t integer = 0;
      if (FitsInt32(number, &integer))
        INT32_TO_NPVARIANT(integer, *out);
      else
        DOUBLE_TO_NPVARIANT(number, *out);
      return;
    }
    case DUK_TYPE_STRING:
      if (!duk_is_symbol(ctx, index)) {
        store.texts.push_back(EngineString(ctx, index));
        const std::string& text = store.texts.back();
        STRINGN_TO_NPVARIANT(text.data(), static_cast<uint32_t>(text.size()), *out);
        return;
      }
      break;
    case DUK_TYPE_OBJECT: {
      if (NPObject* object = NPObjectAt(index)) {
        OBJECT_TO_NPVARIANT(object, *out);
        return;
      }
      store.created.push_back(npbrowser::ObjectRef::Adopt(NewScriptFunction(index)));
      OBJECT_TO_NPVARIANT(store.created.back().Get(), *out);
      return;
    }
    default:
      break;
  }
  VOID_TO_NPVARIANT(*out);
}

// A value handed over to the plug-in, which releases it: strings in browser
// memory, objects with a reference of their own.
void ScriptEngine::ToOwnedVariant(duk_idx_t index, NPVariant* out) {
  Arguments store;
  ToVariant(index, store, out);
  npbrowser::Browser& browser = npbrowser::Browser::Get();
  if (out->type == NPVariantType_String) {
    const std::string& text = store.texts.back();
    auto* copy = static_cast<char*>(browser.MemAlloc(static_cast<uint32_t>(text.size() + 1)));
    if (!copy) {
      VOID_TO_NPVARIANT(*out);
      return;
    }
    memcpy(copy, text.c_str(), text.size() + 1);
    STRINGN_TO_NPVARIANT(copy, static_cast<uint32_t>(text.size()), *out);
  } else if (out->type == NPVariantType_Object) {
    browser.Retain(out->value.objectValue);
  }
}

void ScriptEngine::PushVariant(const NPVariant& value, NPP npp) {
  duk_context* ctx = m_ctx;
  switch (value.type) {
    case NPVariantType_Null:
      duk_push_null(ctx);
      return;
    case NPVariantType_Bool:
      duk_push_boolean(ctx, value.value.boolValue);
      return;
    case NPVariantType_Int32:
      duk_push_int(ctx, value.value.intValue);
      return;
    case NPVariantType_Double:
      duk_push_number(ctx, value.value.doubleValue);
      return;
    case NPVariantType_String:
      if (value.value.stringValue.UTF8Characters) {
        PushUtf8(ctx, value.value.stringValue.UTF8Characters, value.value.stringValue.UTF8Length);
      } else {
        duk_push_string(ctx, "");
      }
      return;
    case NPVariantType_Object: {
      NPObject* object = value.value.objectValue;
      auto own = m_ownFunctions.find(object);
      if (own != m_ownFunctions.end()) {
        PushStashObject(ctx, kFunctions);
        duk_get_prop_index(ctx, -1, static_cast<duk_uarridx_t>(own->second));
        duk_remove(ctx, -2);
      } else if (object) {
        PushWrapper(object, npp, nullptr, false);
      } else {
        duk_push_null(ctx);
      }
      return;
    }
    default:
      duk_push_undefined(ctx);
  }
}

// --- Script functions handed to the plug-in ---------------------------------------

int ScriptEngine::NewFunctionKey(duk_idx_t index) {
  const int key = m_nextFunctionKey++;
  index = duk_normalize_index(m_ctx, index);
  PushStashObject(m_ctx, kFunctions);
  duk_dup(m_ctx, index);
  duk_put_prop_index(m_ctx, -2, static_cast<duk_uarridx_t>(key));
  duk_pop(m_ctx);
  return key;
}

void ScriptEngine::DropFunctionKey(int key) {
  for (auto it = m_ownFunctions.begin(); it != m_ownFunctions.end(); ++it) {
    if (it->second == key) {
      m_ownFunctions.erase(it);
      break;
    }
  }
  PushStashObject(m_ctx, kFunctions);
  duk_del_prop_index(m_ctx, -1, static_cast<duk_uarridx_t>(key));
  duk_pop(m_ctx);
}

namespace {

// Lets go of a script function's slot in the engine when the NPObject that
// stands for it goes, unless the engine went first.
class FunctionSlot {
 public:
  FunctionSlot(std::shared_ptr<ScriptEngine*> engine, int key,
               std::function<void(ScriptEngine&, int)> drop)
      : m_engine(std::move(engine)), m_key(key), m_drop(std::move(drop)) {}
  ~FunctionSlot() {
    if (*m_engine) m_drop(**m_engine, m_key);
  }
  FunctionSlot(const FunctionSlot&) = delete;
  FunctionSlot& operator=(const FunctionSlot&) = delete;
  ScriptEngine* Engine() const { return *m_engine; }
  int Key() const { return m_key; }

 private:
  std::shared_ptr<ScriptEngine*> m_engine;
  int m_key;
  std::function<void(ScriptEngine&, int)> m_drop;
};

}  // namespace

NPObject* ScriptEngine::NewScriptFunction(duk_idx_t index) {
  npbrowser::ScriptFunction* function = npbrowser::Browser::Get().NewFunction();
  if (!function) Throw(m_ctx, "out of memory");
  const int key = NewFunctionKey(index);
  m_ownFunctions[function] = key;
  auto slot = std::make_shared<FunctionSlot>(
      m_self, key, [](ScriptEngine& engine, int dropped) { engine.DropFunctionKey(dropped); });
  function->record = false;
  function->body = [slot, function](const NPVariant* args, uint32_t argCount, NPVariant* result) {
    if (ScriptEngine* engine = slot->Engine())
      engine->CallScriptFunction(slot->Key(), args, argCount, result, &function->failed);
    else
      function->failed = true;
  };
  return function;
}

namespace {

struct FunctionCall {
  ScriptEngine* engine;
  int key;
  const NPVariant* args;
  uint32_t argCount;
  NPVariant* result;
};

}  // namespace

// The plug-in calls a script function (an event listener): errors stay in the
// engine, reported as escaped ones, and make the call fail.
void ScriptEngine::CallScriptFunction(int key, const NPVariant* args, uint32_t argCount,
                                      NPVariant* result, bool* failed) {
  FunctionCall call{this, key, args, argCount, result};
  auto body = [](duk_context* ctx, void* data) -> duk_ret_t {
    auto* call = static_cast<FunctionCall*>(data);
    ScriptEngine& engine = *call->engine;
    PushStashObject(ctx, kFunctions);
    duk_get_prop_index(ctx, -1, static_cast<duk_uarridx_t>(call->key));
    duk_remove(ctx, -2);
    duk_push_undefined(ctx);
    for (uint32_t i = 0; i < call->argCount; ++i) engine.PushVariant(call->args[i], nullptr);
    duk_call_method(ctx, static_cast<duk_idx_t>(call->argCount));
    if (call->result) engine.ToOwnedVariant(-1, call->result);
    return 0;
  };
  duk_require_stack(m_ctx, static_cast<duk_idx_t>(argCount) + 8);
  if (duk_safe_call(m_ctx, body, &call, 0, 1) != DUK_EXEC_SUCCESS) {
    ReportError("listener");
    *failed = true;
  }
  duk_pop(m_ctx);
}

// --- Running scripts -----------------------------------------------------------

void ScriptEngine::ReportError(const std::string& where) {
  ++m_escapedErrors;
  std::string file = where;
  duk_dup_top(m_ctx);
  if (duk_safe_call(m_ctx, DescribeError, &file, 1, 1) == DUK_EXEC_SUCCESS)
    fprintf(stderr, "%s\n", duk_get_string(m_ctx, -1));
  else
    fprintf(stderr, "%s: an error that cannot be described\n", where.c_str());
  fflush(stderr);
  duk_pop(m_ctx);
}

void ScriptEngine::Run(const std::string& source, const std::string& fileName, int firstLine) {
  std::string text = source;
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
  const std::string code =
      std::string(firstLine > 1 ? firstLine - 1 : 0, '\n') + Utf8ToEngine(text.data(), text.size());
  duk_push_string(m_ctx, fileName.c_str());
  if (duk_pcompile_lstring_filename(m_ctx, 0, code.data(), code.size()) != 0 ||
      duk_pcall(m_ctx, 0) != DUK_EXEC_SUCCESS)
    ReportError(fileName);
  duk_pop(m_ctx);
}

void ScriptEngine::RunOnload() {
  duk_get_global_string(m_ctx, "onload");
  if (duk_is_callable(m_ctx, -1) && duk_pcall(m_ctx, 0) != DUK_EXEC_SUCCESS) ReportError("onload");
  duk_pop(m_ctx);
}

// --- Globals ----------------------------------------------------------------------

duk_ret_t ScriptEngine::ConsoleLog(duk_context* ctx) {
  const std::string line = JoinedArguments(ctx) + "\n";
  fwrite(line.data(), 1, line.size(), stdout);
  fflush(stdout);
  return 0;
}

duk_ret_t ScriptEngine::PerformanceNow(duk_context* ctx) {
  duk_push_number(ctx, Of(ctx).Now());
  return 1;
}

duk_ret_t ScriptEngine::WindowClose(duk_context* ctx) {
  Of(ctx).m_closed = true;
  return 0;
}

duk_ret_t ScriptEngine::GetElementById(duk_context* ctx) {
  const std::string id = EngineString(ctx, 0);
  duk_get_global_string(ctx, "document");
  duk_get_prop_string(ctx, -1, "embeds");
  ScriptEngine& engine = Of(ctx);
  for (size_t i = 0; i < engine.m_elements.size(); ++i) {
    if (!id.empty() && engine.m_elements[i]->id == id) {
      duk_get_prop_index(ctx, -1, static_cast<duk_uarridx_t>(i));
      return 1;
    }
  }
  duk_push_null(ctx);
  return 1;
}

// setTimeout or setInterval(function or code, delay, arguments...)
int ScriptEngine::AddTimer(duk_context* ctx, bool repeat) {
  ScriptEngine& engine = Of(ctx);
  const duk_idx_t count = duk_get_top(ctx);
  if (count < 1 || (!duk_is_callable(ctx, 0) && !duk_is_string(ctx, 0)))
    Throw(ctx, "a timer needs a function");
  double delay = count > 1 ? duk_to_number(ctx, 1) : 0;
  if (!(delay > 0)) delay = 0;
  const int id = engine.m_nextTimer++;
  PushStashObject(ctx, kTimers);
  duk_push_array(ctx);  // [callback, arguments...]
  duk_dup(ctx, 0);
  duk_put_prop_index(ctx, -2, 0);
  for (duk_idx_t i = 2; i < count; ++i) {
    duk_dup(ctx, i);
    duk_put_prop_index(ctx, -2, static_cast<duk_uarridx_t>(i - 1));
  }
  duk_put_prop_index(ctx, -2, static_cast<duk_uarridx_t>(id));
  // An interval of 0 would starve the message loop.
  engine.m_timers[id] =
      Timer{engine.Now() + delay, engine.m_timerSequence++, repeat ? std::max(delay, 1.0) : -1};
  return id;
}

duk_ret_t ScriptEngine::SetTimeout(duk_context* ctx) {
  duk_push_int(ctx, AddTimer(ctx, false));
  return 1;
}

duk_ret_t ScriptEngine::SetInterval(duk_context* ctx) {
  duk_push_int(ctx, AddTimer(ctx, true));
  return 1;
}

duk_ret_t ScriptEngine::ClearTimeout(duk_context* ctx) {
  ScriptEngine& engine = Of(ctx);
  const int id = duk_to_int(ctx, 0);
  if (engine.m_timers.erase(id)) {
    PushStashObject(ctx, kTimers);
    duk_del_prop_index(ctx, -1, static_cast<duk_uarridx_t>(id));
  }
  return 0;
}

double ScriptEngine::NextTimerDue() const {
  double due = 0;
  bool any = false;
  for (const auto& timer : m_timers) {
    if (!any || timer.second.due < due) due = timer.second.due;
    any = true;
  }
  return due;
}

void ScriptEngine::RunDueTimers() {
  const double now = Now();
  const int lastSequence = m_timerSequence;
  while (!m_closed) {
    auto next = m_timers.end();
    for (auto it = m_timers.begin(); it != m_timers.end(); ++it) {
      const Timer& timer = it->second;
      if (timer.due > now || timer.sequence >= lastSequence) continue;
      if (next == m_timers.end() || timer.due < next->second.due ||
          (timer.due == next->second.due && timer.sequence < next->second.sequence))
        next = it;
    }
    if (next == m_timers.end()) return;
    const int id = next->first;
    const double interval = next->second.interval;
    duk_context* ctx = m_ctx;
    PushStashObject(ctx, kTimers);
    duk_get_prop_index(ctx, -1, static_cast<duk_uarridx_t>(id));
    if (interval < 0) {
      m_timers.erase(next);
      duk_del_prop_index(ctx, -2, static_cast<duk_uarridx_t>(id));
    } else {
      // The next round comes after the loop gets back to the messages.
      next->second.due = now + interval;
      next->second.sequence = m_timerSequence++;
    }
    duk_remove(ctx, -2);
    // [entry] -> callback, undefined, arguments...
    const duk_idx_t entry = duk_get_top_index(ctx);
    const duk_size_t length = duk_get_length(ctx, entry);
    duk_get_prop_index(ctx, entry, 0);
    int result;
    if (duk_is_string(ctx, -1)) {
      duk_push_string(ctx, "setTimeout");
      result =
          duk_pcompile_lstring_filename(ctx, 0, duk_get_string(ctx, -2), duk_get_length(ctx, -2));
      if (result == 0) result = duk_pcall(ctx, 0);
      duk_remove(ctx, -2);
    } else {
      duk_push_undefined(ctx);
      for (duk_size_t i = 1; i < length; ++i)
        duk_get_prop_index(ctx, entry, static_cast<duk_uarridx_t>(i));
      result = duk_pcall_method(ctx, static_cast<duk_idx_t>(length - 1));
    }
    if (result != DUK_EXEC_SUCCESS) ReportError("timer");
    duk_pop_2(ctx);
  }
}

}  // namespace pagehost
