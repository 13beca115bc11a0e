// Calls per second of one numeric control method, SetSvrTime(number), made
// by page script through the page host (Duktape, the element object, the
// browser's invoke) against the same number of calls made from C++ through
// the plug-in's scriptable object in the same process (hasMethod and invoke,
// as a browser makes them), in alternating pairs; the ratio is the script
// engine's share, recorded without a goal. Run: bench/pagehost_calls/run.sh [BUILD_DIR]
//   pagehost_calls_bench.exe PAGE.html [CALLS_PER_ROUND]
#include <stdio.h>
#include <stdlib.h>

#include "browser.h"
#include "fixture_control.h"
#include "page_host.h"
#include "paired_runs.h"
#include "test_paths.h"

namespace {

FixtureControl* g_fixture = nullptr;
int g_calls = 20000;
int g_pairs = 0;
constexpr int kPairs = 7;
constexpr char kMetric[] = "script_engine_share";

duk_ret_t ClearJournal(duk_context*) {
  g_fixture->ClearJournal();
  return 0;
}

// nativeCalls(element, method, number, count) -> milliseconds
duk_ret_t NativeCalls(duk_context* ctx) {
  pagehost::ScriptEngine& engine = pagehost::ScriptEngine::Of(ctx);
  NPObject* object = engine.NPObjectAt(0);
  npbrowser::Browser& browser = npbrowser::Browser::Get();
  NPIdentifier method = browser.Identifier(duk_require_string(ctx, 1));
  const NPVariant number = npbrowser::Int(duk_to_int(ctx, 2));
  const int count = duk_to_int(ctx, 3);
  if (!object) return duk_error(ctx, DUK_ERR_TYPE_ERROR, "not a plug-in object");
  const double start = engine.Now();
  for (int i = 0; i < count; ++i) {
    NPVariant result;
    if (!browser.HasMethod(object, method) || !browser.Invoke(object, method, &number, 1, &result))
      return duk_error(ctx, DUK_ERR_ERROR, "a call from C++ failed");
    browser.ReleaseVariant(&result);
  }
  duk_push_number(ctx, engine.Now() - start);
  return 1;
}

// pair(nativeMs, scriptMs)
duk_ret_t Pair(duk_context* ctx) {
  bench::PrintPair(kMetric, duk_to_number(ctx, 0) / 1000, duk_to_number(ctx, 1) / 1000);
  ++g_pairs;
  return 0;
}

void InstallBench(pagehost::ScriptEngine& engine) {
  duk_context* ctx = engine.Context();
  duk_push_object(ctx);
  duk_push_int(ctx, g_calls);
  duk_put_prop_string(ctx, -2, "calls");
  duk_push_c_function(ctx, ClearJournal, 0);
  duk_put_prop_string(ctx, -2, "clearJournal");
  duk_push_c_function(ctx, NativeCalls, 4);
  duk_put_prop_string(ctx, -2, "nativeCalls");
  duk_push_int(ctx, kPairs);
  duk_put_prop_string(ctx, -2, "pairs");
  duk_push_c_function(ctx, Pair, 2);
  duk_put_prop_string(ctx, -2, "pair");
  duk_put_global_string(ctx, "bench");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: pagehost_calls_bench.exe PAGE.html [CALLS_PER_ROUND]\n");
    return 2;
  }
  if (argc > 2) g_calls = _wtoi(argv[2]);
  FixtureControl fixture;
  if (!fixture.Ready()) {
    return bench::Fail("stand-in control not registered");
  }
  g_fixture = &fixture;
  bench::PrintGoal(kMetric, "cost", "none", 0);
  pagehost::PageOptions options;
  options.page = argv[1];
  options.dll = testsupport::BinaryPath(L"npZumiPictavoEx.dll");
  options.timeoutSeconds = 600;
  options.origin = "https://www.orvane.com";  // a page of the maker's site
  const int status = pagehost::RunPage(options, InstallBench);
  g_fixture = nullptr;
  if (status == 0 && g_pairs == kPairs) return 0;
  return bench::Fail("the page did not finish its pairs");
}
