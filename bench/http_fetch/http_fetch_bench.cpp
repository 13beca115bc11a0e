// CHttpFetch::Get of a 64 MB body from the loopback server against a bare
// libcurl transfer into a preallocated buffer, in alternating pairs. With
// the argument "memory" it makes one fetch and prints what the process's
// working set grew by at its peak, against the body size (run.sh repeats
// it, each in a process of its own).
#include <windows.h>
#include <psapi.h>

#include <curl/curl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/http_fetch.h"
#include "paired_runs.h"

namespace {

constexpr size_t kBodyBytes = 64u * 1024 * 1024;
constexpr double kTimeGoal = 1.1;
constexpr double kMemoryGoal = 1.2;

struct Preallocated {
  std::vector<char> bytes;
  size_t used = 0;
};

size_t WriteIntoPreallocated(void* data, size_t size, size_t count, void* user) {
  auto* target = static_cast<Preallocated*>(user);
  size_t bytes = size * count;
  if (target->used + bytes > target->bytes.size()) return 0;
  std::memcpy(target->bytes.data() + target->used, data, bytes);
  target->used += bytes;
  return bytes;
}

double Now() {
  LARGE_INTEGER frequency, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  return double(now.QuadPart) / double(frequency.QuadPart);
}

double TimeBareCurl(const std::string& url, Preallocated& target) {
  target.used = 0;
  CURL* curl = curl_easy_init();
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_PROXY, "");
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &WriteIntoPreallocated);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &target);
  const double start = Now();
  CURLcode result = curl_easy_perform(curl);
  const double seconds = Now() - start;
  curl_easy_cleanup(curl);
  if (result != CURLE_OK || target.used != kBodyBytes) {
    bench::Fail("the bare libcurl transfer failed");
    return -1;
  }
  return seconds;
}

// Seconds of one fetch; the body is gone again when it returns.
double TimeFetch(const std::string& url) {
  CHttpFetch fetch;
  fetch.m_nTimeoutMs = 600000;
  std::string body;
  const double start = Now();
  const uint32_t result = fetch.Get(url, body);
  const double seconds = Now() - start;
  if (result != CHttpFetch::FETCH_OK || body.size() != kBodyBytes) {
    bench::Fail("CHttpFetch::Get failed");
    return -1;
  }
  return seconds;
}

PROCESS_MEMORY_COUNTERS Memory() {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return counters;
}

int MeasureMemory(const std::string& url) {
  const size_t before = Memory().WorkingSetSize;
  if (TimeFetch(url) < 0) return 1;
  const size_t peak = Memory().PeakWorkingSetSize;
  if (peak <= before) return bench::Fail("no working set figures");
  bench::PrintPair("memory", double(kBodyBytes), double(peak - before));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const char* port = std::getenv("ZP_HTTP_PORT");
  if (!port) return bench::Fail("run through tests/http/loopback_server.py (run.sh)");
  const std::string url =
      std::string("http://127.0.0.1:") + port + "/file?size=" + std::to_string(kBodyBytes);
  if (argc > 1 && std::strcmp(argv[1], "memory") == 0) return MeasureMemory(url);

  bench::PrintGoal("time", "cost", "<=", kTimeGoal);
  bench::PrintGoal("memory", "cost", "<=", kMemoryGoal);
  Preallocated target;
  target.bytes.assign(kBodyBytes, 0);
  TimeFetch(url);  // warms the server's and the system's caches
  const bool measured = bench::RunPairs(
      "time", [&] { return TimeBareCurl(url, target); }, [&] { return TimeFetch(url); });
  return measured ? 0 : 1;
}
