// How the HTTP fetch's receive buffer grows: whole multiples of a step,
// never beyond a fixed limit.
#pragma once

#include <cstdint>

constexpr uint32_t kReceiveGrowStep = 10240;
constexpr uint32_t kReceiveLimit = 102400000;

// Smallest multiple of the step that holds `bytes` (0 for 0).
uint64_t RoundUpToGrowStep(uint64_t bytes);

// Capacity for `required` bytes when `capacity` no longer holds them: at
// least the rounded-up requirement and, where the limit allows, double the
// current capacity. 0 when the requirement lies beyond the limit.
uint32_t GrownReceiveCapacity(uint32_t capacity, uint64_t required);

// Capacity for the whole body once a response announced the length of what
// it sends (`announced`, negative when it announced none) after `kept` bytes
// already received (the rest of an interrupted body). 0 when `capacity`
// already suffices, without an announcement, or when the body would lie
// beyond the limit: such a transfer fails as its bytes arrive.
uint32_t AnnouncedReceiveCapacity(uint64_t kept, int64_t announced, uint32_t capacity);
