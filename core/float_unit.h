// The floating-point unit's state as the program's arithmetic sees it: a control word
// (exception masks) and the sticky exception flags, one pair per thread, as on the x87.
// The software arithmetic only sets flags; whether a flag is a fault is decided one layer
// up, where the control word's masks are applied (see float_faults.h).
#pragma once

#include <cstdint>

namespace pumpcalc {

// Exception flags, at their bit positions in the x87 status word; the same bits in the
// control word are the masks (a set mask bit means "do not fault").
enum FloatFlag : std::uint8_t {
  flagInvalid = 0x01,
  flagDenormal = 0x02,
  flagZeroDivide = 0x04,
  flagOverflow = 0x08,
  flagUnderflow = 0x10,
  flagPrecision = 0x20,
  allFloatFlags = 0x3F,
};

// 64-bit significand, round to nearest; invalid, zero-divide and overflow unmasked.
inline constexpr std::uint16_t initialFloatControlWord = 0x1332;
// Every exception masked: the text conversions detect overflow from the flags afterwards.
inline constexpr std::uint16_t ConversionControlWord = 0x133F;

// The process-wide control setting that resetFloatUnit loads.
extern std::uint16_t FloatControlWord;

struct FloatUnitState {
  std::uint16_t controlWord = initialFloatControlWord;
  std::uint8_t flags = 0;  // sticky FloatFlag bits
};

// This thread's unit.
inline thread_local FloatUnitState currentFloatUnit;

inline FloatUnitState& floatUnit() noexcept { return currentFloatUnit; }
inline void raiseFloatFlags(std::uint8_t flags) noexcept { currentFloatUnit.flags |= flags; }

// The flags that are set and not masked by the control word in force.
inline std::uint8_t pendingFloatFaults() noexcept {
  return currentFloatUnit.flags & ~currentFloatUnit.controlWord & allFloatFlags;
}

// Empties the unit: flags cleared, FloatControlWord loaded.
inline void resetFloatUnit() noexcept { currentFloatUnit = {FloatControlWord, 0}; }

}  // namespace pumpcalc
