#include "app/receive_buffer_rules.h"

#include <algorithm>

uint64_t RoundUpToGrowStep(uint64_t bytes) {
  return (bytes / kReceiveGrowStep + (bytes % kReceiveGrowStep != 0)) * kReceiveGrowStep;
}

uint32_t GrownReceiveCapacity(uint32_t capacity, uint64_t required) {
  if (required > kReceiveLimit) return 0;
  uint64_t doubled = std::min<uint64_t>(uint64_t(capacity) * 2, kReceiveLimit);
  return static_cast<uint32_t>(std::max<uint64_t>(RoundUpToGrowStep(required), doubled));
}

uint32_t AnnouncedReceiveCapacity(uint64_t kept, int64_t announced, uint32_t capacity) {
  if (announced < 0) return 0;
  uint64_t whole = kept + static_cast<uint64_t>(announced);
  if (whole <= capacity || whole > kReceiveLimit) return 0;
  return static_cast<uint32_t>(RoundUpToGrowStep(whole));
}
