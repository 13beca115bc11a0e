// The page's JavaScript: a Duktape heap with what page script of a plug-in
// page uses (document.getElementById, document.embeds, console.log,
// setTimeout, clearTimeout, setInterval, clearInterval, window.close,
// performance.now), and the embed
// elements as script objects that forward to the plug-in's scriptable
// NPObject the way a browser does.
#pragma once

#include <duktape.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "browser.h"
#include "page_document.h"

namespace pagehost {

class ScriptEngine {
 public:
  ScriptEngine();
  ~ScriptEngine();
  ScriptEngine(const ScriptEngine&) = delete;
  ScriptEngine& operator=(const ScriptEngine&) = delete;

  duk_context* Context() const { return m_ctx; }

  // An embed element; `object` is the browser's reference to the instance's
  // scriptable object (adopted; may be null).
  void AddEmbed(const EmbedElement& element, NPObject* object, NPP npp);
  // Drops every reference that script holds to objects of this instance, as
  // a browser does before it destroys the instance. Script that still uses
  // them gets an error.
  void ReleaseObjectsOf(NPP npp);

  // Runs one script. `source` is UTF-8; `firstLine` is where it starts in
  // `fileName`. An error that escapes is reported and counted.
  void Run(const std::string& source, const std::string& fileName, int firstLine);
  // Calls the page's onload handler, when it set one.
  void RunOnload();

  bool HasTimers() const { return !m_timers.empty(); }
  // Milliseconds (on Now()'s clock) at which the next timer is due.
  double NextTimerDue() const;
  // Runs the timers due by Now(), in order of due time, then of creation.
  void RunDueTimers();

  bool Closed() const { return m_closed; }
  int EscapedErrors() const { return m_escapedErrors; }

  // Milliseconds since the engine started.
  double Now() const;

  // The NPObject of a script object that stands for one, or null.
  NPObject* NPObjectAt(duk_idx_t index) const;
  // Reports the error on the stack top (and counts it) as one that escaped.
  void ReportError(const std::string& where);

  // A script string as UTF-8, and UTF-8 pushed as a script string.
  static std::string StringAt(duk_context* ctx, duk_idx_t index);
  static void PushString(duk_context* ctx, const std::string& utf8);

  // The engine of a native function's context.
  static ScriptEngine& Of(duk_context* ctx);

 private:
  struct Wrapped {
    npbrowser::ObjectRef object;
    NPP npp = nullptr;
    const EmbedElement* element = nullptr;
  };
  struct Timer {
    double due = 0;
    int sequence = 0;
    double interval = -1;  // setInterval's period; negative for setTimeout
  };
  class Arguments;
  friend class Arguments;

  void InstallGlobals();
  void PushWrapper(NPObject* object, NPP npp, const EmbedElement* element, bool adopt);
  int NewFunctionKey(duk_idx_t index);
  void DropFunctionKey(int key);
  NPObject* NewScriptFunction(duk_idx_t index);
  void CallScriptFunction(int key, const NPVariant* args, uint32_t argCount, NPVariant* result,
                          bool* failed);

  // Script values to and from NPVariants.
  void ToVariant(duk_idx_t index, Arguments& store, NPVariant* out);
  void ToOwnedVariant(duk_idx_t index, NPVariant* out);
  void PushVariant(const NPVariant& value, NPP npp);
  [[noreturn]] static void Throw(duk_context* ctx, const std::string& message);
  Wrapped& WrappedAt(duk_idx_t target);

  static duk_ret_t TrapGet(duk_context* ctx);
  static duk_ret_t TrapSet(duk_context* ctx);
  static duk_ret_t TrapHas(duk_context* ctx);
  static duk_ret_t TrapApply(duk_context* ctx);
  static duk_ret_t MethodCall(duk_context* ctx);
  static duk_ret_t TargetCall(duk_context* ctx);
  static duk_ret_t ConsoleLog(duk_context* ctx);
  static duk_ret_t SetTimeout(duk_context* ctx);
  static duk_ret_t ClearTimeout(duk_context* ctx);
  static duk_ret_t SetInterval(duk_context* ctx);
  static int AddTimer(duk_context* ctx, bool repeat);
  static duk_ret_t WindowClose(duk_context* ctx);
  static duk_ret_t GetElementById(duk_context* ctx);
  static duk_ret_t PerformanceNow(duk_context* ctx);

  duk_context* m_ctx = nullptr;
  // Cleared when the engine goes, so that script functions the plug-in still
  // holds do nothing.
  std::shared_ptr<ScriptEngine*> m_self;
  std::map<int, Wrapped> m_wrapped;         // by slot
  std::map<void*, int> m_slotOfProxy;       // proxy heap pointer -> slot
  std::map<NPObject*, int> m_slotOfObject;  // live object -> slot
  std::map<NPObject*, int> m_ownFunctions;  // our script functions -> key
  std::vector<std::unique_ptr<EmbedElement>> m_elements;
  int m_nextSlot = 1;
  int m_nextFunctionKey = 1;
  std::map<int, Timer> m_timers;  // by id
  int m_nextTimer = 1;
  int m_timerSequence = 0;
  bool m_closed = false;
  int m_escapedErrors = 0;
  long long m_start = 0;
  long long m_frequency = 1;
};

}  // namespace pagehost
