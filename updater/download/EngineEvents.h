// The download engine's events: their codes, the layouts of their payloads
// and readers that check a payload before any value is taken from it.
//
// Conventions of every payload:
// - A payload is a byte string: its bytes and its length. An empty or null
//   byte string is a missing payload.
// - Values are little-endian 32-bit integers at offsets 4 * index.
// - The text payloads (events 75 and 100) are code page 936 strings that
//   carry their terminating zero inside the payload's length.
// - A completion (event 89) may come with no byte string at all but the
//   bare value -1 instead: a completion that has no result code.
// A payload too short for the values its reader takes, or a text without a
// terminator within its length, is malformed and treated like a missing one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace Download {

enum EngineEventCode : int32_t {
  kEngineEventLost = 6,
  kEngineEventFileRenamed = 75,
  kEngineEventCompleted = 89,
  kEngineEventProgress = 91,
  kEngineEventTaskInfo = 95,
  kEngineEventStatus = 99,
  kEngineEventTaskCreated = 100,
};

// Codes whose payload the in-process engine passes as the value itself in
// place of a pointer.
bool IsEngineValueEvent(int32_t iCode);

// An event's payload as it travels inside the update service.
struct EnginePayload {
  const uint8_t* data = nullptr;
  size_t size = 0;
  bool bNoCode = false;  // the bare -1 of a completion without result code

  bool IsMissing() const { return !bNoCode && (data == nullptr || size == 0); }
};

// Event 89: value 0 the engine result code, value 1 the detail code.
struct CompletionPayload {
  int32_t iResult = 0;
  int32_t iDetail = 0;
};
const size_t kCompletionPayloadSize = 8;

// Event 91: value 1 progress information, value 3 progress in thousandths.
struct ProgressPayload {
  uint32_t uiInfo = 0;
  uint32_t uiThousandths = 0;
};
const size_t kProgressPayloadSize = 16;

// Event 95: values 0 and 1.
struct TaskInfoPayload {
  uint32_t uiInfo1 = 0;
  uint32_t uiInfo2 = 0;
};
const size_t kTaskInfoPayloadSize = 8;

// Event 99: value 0.
const size_t kStatusPayloadSize = 4;

// Longest texts the in-process engine may hand over without a length: the
// URL (event 100) and the file name (event 75) of the task record.
const size_t kUrlPayloadLimit = 4100;
const size_t kFileNamePayloadLimit = 260;

// Each reader returns false, leaving *out alone, for a missing or malformed
// payload.
bool ReadCompletionPayload(const uint8_t* data, size_t size, CompletionPayload* out);
bool ReadProgressPayload(const uint8_t* data, size_t size, ProgressPayload* out);
bool ReadTaskInfoPayload(const uint8_t* data, size_t size, TaskInfoPayload* out);
bool ReadStatusPayload(const uint8_t* data, size_t size, uint32_t* out);
// The text before the terminator, which must lie within size.
bool ReadTextPayload(const uint8_t* data, size_t size, std::string* out);

// A completion as the client sees it: the engine's codes (0 and 0 for a
// completion without code) and the result.
struct Completion {
  int32_t iErrorCode = 0;
  int32_t iDetailCode = 0;
  uint32_t uiResult = 1;
};

// Reads a completion from its payload: bytes or the bare -1. False when the
// payload is missing or malformed.
bool ReadCompletion(const EnginePayload& payload, Completion* out);

// The client's result for an engine result code.
uint32_t MapEngineResult(int32_t iEngineResult);

// The path after a rename: the part after the last backslash of `path` (all
// of it when there is none) replaced by `newName`.
template <typename String>
String RenamedPath(const String& path, const String& newName,
                   typename String::value_type backslash) {
  size_t slash = path.rfind(backslash);
  if (slash == String::npos) return newName;
  return path.substr(0, slash + 1) + newName;
}

}  // namespace Download
