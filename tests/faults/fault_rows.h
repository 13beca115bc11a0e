// What the fault matrix programs share: a table of named rows, each a
// scenario that reports what it observed as one line of "key=value" words,
// and the small probes the rows use.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "test_paths.h"

namespace faults {

struct Row {
  const char* name;
  std::function<std::string()> run;
};

// `PROGRAM ROW` runs one row and prints "observed: <words>"; `PROGRAM --list`
// prints the row names. The exit status is 0 when the row ran at all.
int RunRows(const std::vector<Row>& rows, int argc, char** argv);

using testsupport::Env;
using testsupport::UnixToWindows;
using testsupport::Wide;
std::string Narrow(const std::wstring& text);
bool Exists(const std::wstring& path);
std::string ReadFileBytes(const std::wstring& path);
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);

// Deletes what the engine stand-ins reported for a client process.
void RemoveEngineReports(DWORD clientPid);

DWORD HandleCount();

// Handle count of this process from construction on. Report() gives
// "handles=ok" while the count grew by at most `slack`, else "handles=+N".
class HandleWatch {
 public:
  explicit HandleWatch(DWORD slack = 0) : m_before(HandleCount()), m_slack(slack) {}
  std::string Report() const;

 private:
  DWORD m_before;
  DWORD m_slack;
};

// Polls until check() holds; false after the time-out.
bool WaitUntil(const std::function<bool()>& check, DWORD timeoutMs);

}  // namespace faults
