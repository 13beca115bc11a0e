// Compares CHttpFetch::Get of a 64 MB body from the loopback server with a
// bare libcurl transfer into a preallocated buffer, in one run, and reports
// the peak working set of the fetch against the body size.
#include <windows.h>
#include <psapi.h>

#include <curl/curl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/http_fetch.h"

namespace {

constexpr size_t kBodyBytes = 64u * 1024 * 1024;
constexpr int kRounds = 3;

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

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

double TimeBareCurl(const std::string& url, Preallocated& target) {
  target.used = 0;
  CURL* curl = curl_easy_init();
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &WriteIntoPreallocated);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &target);
  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  CURLcode result = curl_easy_perform(curl);
  QueryPerformanceCounter(&end);
  curl_easy_cleanup(curl);
  if (result != CURLE_OK || target.used != kBodyBytes) {
    std::printf("bare libcurl transfer failed: %d, %zu bytes\n", result, target.used);
    std::exit(1);
  }
  return Seconds(start, end);
}

double TimeFetch(const std::string& url) {
  CHttpFetch fetch;
  fetch.m_nTimeoutMs = 3600000;
  std::string body;
  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  uint32_t result = fetch.Get(url, body);
  QueryPerformanceCounter(&end);
  if (result != 0 || body.size() != kBodyBytes) {
    std::printf("CHttpFetch::Get failed: %u, %zu bytes\n", result, body.size());
    std::exit(1);
  }
  return Seconds(start, end);
}

size_t PeakWorkingSet() {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return counters.PeakWorkingSetSize;
}

size_t WorkingSet() {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return counters.WorkingSetSize;
}

}  // namespace

int main() {
  const char* port = std::getenv("ZP_HTTP_PORT");
  if (!port) {
    std::printf("run through tests/http/loopback_server.py (bench/http_fetch/run.sh)\n");
    return 2;
  }
  std::string url =
      std::string("http://127.0.0.1:") + port + "/file?size=" + std::to_string(kBodyBytes);

  // Memory first, before the baseline's preallocated buffer exists.
  size_t before = WorkingSet();
  double fetchFirst = TimeFetch(url);
  size_t peak = PeakWorkingSet();

  Preallocated target;
  target.bytes.assign(kBodyBytes, 0);
  double bareBest = 1e9, fetchBest = fetchFirst;
  for (int round = 0; round < kRounds; ++round) {
    bareBest = std::min(bareBest, TimeBareCurl(url, target));
    fetchBest = std::min(fetchBest, TimeFetch(url));
  }

  std::printf("body: %zu bytes\n", kBodyBytes);
  std::printf("bare libcurl into preallocated buffer: %.3f s (best of %d)\n", bareBest, kRounds);
  std::printf("CHttpFetch::Get: %.3f s (best of %d)\n", fetchBest, kRounds + 1);
  std::printf("time ratio fetch/bare: %.2f (goal <= 1.25)\n", fetchBest / bareBest);
  std::printf(
      "peak working set: %.1f MB, %.2f x body (goal <= 3); growth during fetch %.2f x body\n",
      peak / 1048576.0, double(peak) / kBodyBytes, double(peak - before) / kBodyBytes);
  return 0;
}
