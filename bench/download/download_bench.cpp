// Compares a 64 MB download through the download component (CreateDownloader,
// its worker and dispatcher, the COM engine stand-in) with the same stand-in
// driven directly over COM, in alternating pairs. Both times run from the
// task's creation to its completion event.
#include <windows.h>
#include <ocidl.h>

#include <wrl/client.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "DownloadEngine.h"
#include "EngineEvents.h"
#include "EngineRecords.h"
#include "IDownload.h"
#include "owners/scoped_com.h"
#include "owners/scoped_win.h"
#include "paired_runs.h"
#include "test_paths.h"

using Microsoft::WRL::ComPtr;

namespace {

constexpr size_t kBodyBytes = 64u * 1024 * 1024;
constexpr double kGoal = 1.1;
constexpr DWORD kLongestMs = 600000;

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

std::wstring TargetFile() {
  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH, temp);
  return std::wstring(temp) + L"download_bench.bin";
}

// The downloaded file is whole; it is gone afterwards.
bool CheckFile() {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  if (!GetFileAttributesExW(TargetFile().c_str(), GetFileExInfoStandard, &data) ||
      data.nFileSizeLow != kBodyBytes) {
    DeleteFileW(TargetFile().c_str());
    return false;
  }
  DeleteFileW(TargetFile().c_str());
  return true;
}

// Signals when the engine reports a completion.
class CompletionSink final : public _IDownloaderEvents {
 public:
  CompletionSink() : m_done(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == DIID__IDownloaderEvents) {
      *ppv = static_cast<_IDownloaderEvents*>(this);
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                                   EXCEPINFO*, UINT*) override {
    if (id == 1 && params && params->cArgs == 3 &&
        params->rgvarg[2].lVal == Download::kEngineEventCompleted)
      SetEvent(m_done.Get());
    return S_OK;
  }
  bool Wait() { return WaitForSingleObject(m_done.Get(), kLongestMs) == WAIT_OBJECT_0; }

 private:
  ScopedHandle m_done;
};

template <typename Record>
HRESULT Send(IDownloader* engine, HRESULT (STDMETHODCALLTYPE IDownloader::*method)(BSTR*),
             const Record& record) {
  ScopedBstr bytes(SysAllocStringByteLen(reinterpret_cast<const char*>(&record), sizeof(record)));
  BSTR value = bytes.Get();
  return (engine->*method)(&value);
}

TaskInfo Task(const std::string& url) {
  TaskInfo task;
  task.strUrl = std::wstring(url.begin(), url.end());
  task.strFileName = TargetFile();
  return task;
}

double TimeEngineAlone(const std::string& url) {
  CLSID clsid;
  ComPtr<IDownloader> engine;
  ComPtr<IConnectionPointContainer> container;
  ComPtr<IConnectionPoint> point;
  CompletionSink sink;
  DWORD cookie = 0;
  if (FAILED(CLSIDFromProgID(L"DownloadProxy.Downloader.1", &clsid)) ||
      FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IDownloader,
                              reinterpret_cast<void**>(engine.GetAddressOf()))) ||
      FAILED(engine.As(&container)) ||
      FAILED(container->FindConnectionPoint(DIID__IDownloaderEvents, &point)) ||
      FAILED(point->Advise(&sink, &cookie)) ||
      FAILED(Send(engine.Get(), &IDownloader::RegisterClient,
                  Download::BuildClientRegistration(GetCurrentProcessId(), 0)))) {
    bench::Fail("cannot connect to the engine");
    return -1;
  }
  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  if (FAILED(Send(engine.Get(), &IDownloader::CreateTask,
                  Download::BuildEngineTaskRecord(Task(url), 0))) ||
      !sink.Wait()) {
    bench::Fail("the engine did not complete the download");
    return -1;
  }
  QueryPerformanceCounter(&end);
  point->Unadvise(cookie);
  engine->Close();
  if (!CheckFile()) return bench::Fail("the engine's file is not whole"), -1;
  return Seconds(start, end);
}

class CompletionNotify : public Download::CDownloadNotify {
 public:
  CompletionNotify() : m_done(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}
  void OnDownloadComplete(uint32_t, uint32_t uiResult) override {
    m_uiResult = uiResult;
    SetEvent(m_done.Get());
  }
  bool Wait() { return WaitForSingleObject(m_done.Get(), kLongestMs) == WAIT_OBJECT_0; }
  uint32_t m_uiResult = 1;

 private:
  ScopedHandle m_done;
};

double TimeComponent(const std::string& url) {
  CompletionNotify notify;
  std::unique_ptr<Download::CIDownload> component(
      CreateDownloader(0, testsupport::BinaryDir(), &notify));
  for (int i = 0; i < 300 && !component->IsWorking(); ++i) Sleep(100);
  if (!component->IsWorking()) {
    bench::Fail("the component did not connect");
    return -1;
  }
  uint32_t id = 0;
  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  component->CreateTask(Task(url), id);
  if (!notify.Wait() || notify.m_uiResult != 0) {
    bench::Fail("the component did not complete the download");
    return -1;
  }
  QueryPerformanceCounter(&end);
  component.reset();
  if (!CheckFile()) return bench::Fail("the component's file is not whole"), -1;
  return Seconds(start, end);
}

}  // namespace

int main() {
  const char* port = std::getenv("ZP_HTTP_PORT");
  if (!port) return bench::Fail("run through tests/http/loopback_server.py (run.sh)");
  const std::string url =
      std::string("http://127.0.0.1:") + port + "/file?size=" + std::to_string(kBodyBytes);
  ScopedComInitialize com(COINIT_MULTITHREADED);
  bench::PrintGoal("component", "cost", "<=", kGoal);
  // The first component installs the engine when needed.
  if (TimeComponent(url) < 0) return 1;
  const bool measured = bench::RunPairs(
      "component", [&] { return TimeEngineAlone(url); }, [&] { return TimeComponent(url); });
  return measured ? 0 : 1;
}
