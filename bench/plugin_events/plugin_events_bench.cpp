// The cost of an event from the stand-in control to a page-script listener
// through the plug-in against the same control firing into a connected sink
// that does nothing, in alternating pairs, for events of several shapes.
// Run: build/wine-run.sh build/bin/plugin_events_bench.exe [seconds per side]
#include <windows.h>
#include <oleauto.h>
#include <ocidl.h>
#include <wrl/client.h>

#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "ZumiPictavoEx.h"
#include "browser.h"
#include "hosted_page.h"
#include "paired_runs.h"
#include "fixture_control.h"
#include "test_paths.h"

using Microsoft::WRL::ComPtr;
namespace npb = npbrowser;

namespace {

constexpr int kPairs = 7;
constexpr double kGoal = 2.5;

// A connected sink that answers every event and does nothing else.
class NullSink final : public IDispatch {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (iid != IID_IUnknown && iid != IID_IDispatch && iid != DIID__IPictavoExEvents)
      return E_NOINTERFACE;
    *object = static_cast<IDispatch*>(this);
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                      UINT*) override {
    return S_OK;
  }
};

// One event shape: its DISPID, name and arguments in declaration order.
struct Shape {
  DISPID id;
  const char* name;
  const char* args;  // N long, S string
};

const Shape kShapes[] = {
    {1, "OnSink_UploadSelect", "NN"},
    {20, "OnSink_DataReport", "SN"},
    {19, "OnSink_LocalError", "NSS"},
    {22, "OnSink_UploadLibDataReport", "SNNNS"},
};

std::vector<VARIANT> MakeArgs(const char* kinds) {
  std::vector<VARIANT> args;
  for (const char* kind = kinds; *kind; ++kind) {
    VARIANT v;
    VariantInit(&v);
    if (*kind == 'N') {
      V_VT(&v) = VT_I4;
      V_I4(&v) = 1234567;
    } else {
      V_VT(&v) = VT_BSTR;
      V_BSTR(&v) = SysAllocString(L"someone@example.com/photo_0042.jpg");
    }
    args.push_back(v);
  }
  return args;
}

// Seconds per event over about `seconds` through the newest control;
// negative on the first failure.
double CostPerEvent(const FixtureControl& fixture, DISPID id, const std::vector<VARIANT>& args,
                    double seconds) {
  long events = 0;
  const double start = Seconds();
  double now = start;
  while (now - start < seconds) {
    for (int i = 0; i < 256; ++i) {
      if (FAILED(fixture.FireEvent(id, args.data(), static_cast<int>(args.size())))) {
        bench::Fail("an event failed");
        return -1;
      }
    }
    events += 256;
    fixture.ClearJournal();  // the stand-in journals every event: keep it small
    now = Seconds();
  }
  return (now - start) / events;
}

// A second stand-in control with the null sink connected; while it exists it
// is the newest control, the one the fixture fires.
class BaselineControl {
 public:
  explicit BaselineControl(NullSink& sink) {
    if (FAILED(CoCreateInstance(CLSID_PictavoEx, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&m_control))))
      return;
    ComPtr<IConnectionPointContainer> points;
    if (FAILED(m_control.As(&points)) ||
        FAILED(points->FindConnectionPoint(DIID__IPictavoExEvents, &m_point)) ||
        FAILED(m_point->Advise(&sink, &m_cookie)))
      m_point.Reset();
  }
  ~BaselineControl() {
    if (m_point) m_point->Unadvise(m_cookie);
  }
  bool Ready() const { return m_point != nullptr; }

 private:
  ComPtr<IUnknown> m_control;
  ComPtr<IConnectionPoint> m_point;
  DWORD m_cookie = 0;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const double seconds = argc > 1 ? _wtof(argv[1]) : 0.1;
  CoInitialize(nullptr);
  FixtureControl fixture;
  if (!fixture.Ready()) {
    return bench::Fail("stand-in control not registered");
  }
  int result = 1;
  {
    HostedPage page;
    npb::Browser& browser = page.Browser();
    bool ready = page.Open() && fixture.ConnectionCount() == 1;
    NPObject* object = page.Object();
    npb::ScriptFunction* listener = browser.NewFunction();
    listener->record = false;
    NPVariant scratch;
    for (const Shape& shape : kShapes) {
      const std::string name = shape.name;
      ready =
          ready && browser.Call(object, "AddEventListener",
                                {npb::String(name), npb::Object(listener), npb::Int(0)}, &scratch);
    }
    NullSink sink;
    if (ready) {
      bool measured = true;
      for (const Shape& shape : kShapes) {
        std::vector<VARIANT> args = MakeArgs(shape.args);
        const std::string metric = std::string(shape.name) + "(" + shape.args + ")";
        bench::PrintGoal(metric.c_str(), "cost", "<=", kGoal);
        auto toListener = [&] {
          const size_t before = listener->callCount;
          const double cost = CostPerEvent(fixture, shape.id, args, seconds);
          if (cost >= 0 && listener->callCount == before) {
            bench::Fail("no event reached the listener");
            return -1.0;
          }
          return cost;
        };
        auto toNullSink = [&] {
          BaselineControl control(sink);
          if (!control.Ready()) {
            bench::Fail("baseline control not connected");
            return -1.0;
          }
          return CostPerEvent(fixture, shape.id, args, seconds);
        };
        measured = measured && bench::RunPairs(metric.c_str(), toNullSink, toListener, kPairs);
        for (VARIANT& v : args) VariantClear(&v);
      }
      if (measured) result = 0;
    } else {
      bench::Fail("control not hosted or listener not registered");
    }
    browser.Release(listener);
  }
  CoUninitialize();
  return result;
}
