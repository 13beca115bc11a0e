// Events per second from the stand-in control to a page-script listener
// through the plug-in, against the same control firing into a connected sink
// that does nothing; prints both and the cost ratio for events of several
// shapes. Run: build/wine-run.sh build/bin/plugin_events_bench.exe [seconds]
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
#include "fixture_control.h"
#include "test_paths.h"

using Microsoft::WRL::ComPtr;
namespace npb = npbrowser;

namespace {

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

// Events per second over about `seconds` through the newest control.
double Rate(const FixtureControl& fixture, DISPID id, const std::vector<VARIANT>& args,
            double seconds) {
  long events = 0;
  const double start = Seconds();
  double now = start;
  while (now - start < seconds) {
    for (int i = 0; i < 256; ++i) {
      if (FAILED(fixture.FireEvent(id, args.data(), static_cast<int>(args.size())))) {
        fprintf(stderr, "an event failed\n");
        exit(1);
      }
    }
    events += 256;
    fixture.ClearJournal();  // the stand-in journals every event: keep it small
    now = Seconds();
  }
  return events / (now - start);
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
  const double seconds = argc > 1 ? _wtof(argv[1]) : 1.0;
  CoInitialize(nullptr);
  FixtureControl fixture;
  if (!fixture.Ready()) {
    fprintf(stderr, "stand-in control not registered: %08lx\n", fixture.RegisterResult());
    return 1;
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
      double worst = 0;
      for (const Shape& shape : kShapes) {
        std::vector<VARIANT> args = MakeArgs(shape.args);
        double script = 0, baseline = 0;
        // Alternate short rounds so that both paths see the same conditions.
        for (int round = 0; round < 4; ++round) {
          const size_t before = listener->callCount;
          script += Rate(fixture, shape.id, args, seconds / 8);
          if (listener->callCount == before) {
            fprintf(stderr, "no event reached the listener\n");
            return 1;
          }
          BaselineControl control(sink);
          if (!control.Ready()) {
            fprintf(stderr, "baseline control not connected\n");
            return 1;
          }
          baseline += Rate(fixture, shape.id, args, seconds / 8);
        }
        for (VARIANT& v : args) VariantClear(&v);
        const double ratio = baseline / script;
        if (ratio > worst) worst = ratio;
        printf(
            "%-28s (%-5s) listener %10.0f events/s   null sink %10.0f events/s   "
            "cost ratio (listener/null sink) %.2f\n",
            shape.name, shape.args, script / 4, baseline / 4, ratio);
      }
      printf("worst cost ratio %.2f (goal: at most 3)\n", worst);
      result = 0;
    } else {
      fprintf(stderr, "control not hosted or listener not registered\n");
    }
    browser.Release(listener);
  }
  CoUninitialize();
  return result;
}
