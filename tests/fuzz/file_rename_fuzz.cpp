// A rename reported by the engine, applied to a task record's file name as
// the dispatcher does: the name is read from its text payload, put in place
// of the part after the last backslash, and the path cut to the field. The
// field must stay terminated, hold whole double-byte characters only, and
// keep the folder whenever the new path fits.
#include <cstring>
#include <memory>
#include <string>

#include "EngineEvents.h"
#include "EngineRecords.h"
#include "fuzz_input.h"

namespace {

using namespace Download;

bool IsLeadByte(unsigned char b) { return b >= 0x81 && b <= 0xFE; }

// Whether the first `length` bytes end on a character boundary.
bool EndsOnWholeCharacter(const std::string& text, size_t length) {
  size_t at = 0;
  while (at < length) {
    at += IsLeadByte(static_cast<unsigned char>(text[at])) && at + 1 < text.size() ? 2 : 1;
  }
  return at == length;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input(data, size);
  EngineTaskRecord record{};
  CopyTextField(record.szFileName, sizeof(record.szFileName), input.TakeUntil('\n'));
  const std::string payload = input.TakeRest();
  std::unique_ptr<uint8_t[]> block(payload.empty() ? nullptr : new uint8_t[payload.size()]);
  if (block) std::memcpy(block.get(), payload.data(), payload.size());

  std::string name;
  if (!ReadTextPayload(block.get(), payload.size(), &name)) return 0;
  const std::string path(record.szFileName,
                         FieldTextLength(record.szFileName, sizeof(record.szFileName)));
  const std::string renamed = RenamedPath(path, name, '\\');
  CopyTextField(record.szFileName, sizeof(record.szFileName), renamed);

  const size_t kept = FieldTextLength(record.szFileName, sizeof(record.szFileName));
  FUZZ_CHECK(kept < sizeof(record.szFileName));
  FUZZ_CHECK(renamed.compare(0, kept, record.szFileName, kept) == 0);
  FUZZ_CHECK(kept == renamed.size() || EndsOnWholeCharacter(renamed, kept));
  const size_t slash = path.rfind('\\');
  const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  if (renamed.size() < sizeof(record.szFileName))
    FUZZ_CHECK(kept == renamed.size() && renamed == folder + name);
  return 0;
}
