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

// This thread's unit. Where the toolchain emulates thread-local storage (mingw-w64's GCC),
// every access is a library call that costs more than an arithmetic operation: code that
// computes much fetches the unit once with floatUnit() and passes it on (the overloads
// taking a FloatUnitState&).
inline thread_local FloatUnitState currentFloatUnit;

// currentFloatUnit, through a call that is never inlined. Inlined, the variable's
// address would count as a constant, and the compiler would emit the emulation's library
// call again at each place that uses it, inside the caller's loops too.
FloatUnitState& floatUnit() noexcept;
inline void raiseFloatFlags(std::uint8_t flags) noexcept { currentFloatUnit.flags |= flags; }

// The flags that are set and not masked by the control word in force.
inline std::uint8_t pendingFloatFaults(const FloatUnitState& unit) noexcept {
  return unit.flags & ~unit.controlWord & allFloatFlags;
}
inline std::uint8_t pendingFloatFaults() noexcept { return pendingFloatFaults(currentFloatUnit); }

// The processor's own x87 unit, which the program's arithmetic never uses but library and
// system code may: its control word, read and written directly.
#if (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__)
inline std::uint16_t hardwareControlWord() noexcept {
  std::uint16_t word;
  __asm__ volatile("fnstcw %0" : "=m"(word));
  return word;
}
// Clears the pending exception flags, then loads `word`.
inline void restoreHardwareControlWord(std::uint16_t word) noexcept {
  __asm__ volatile("fnclex\n\tfldcw %0" : : "m"(word));
}
// Empties the register stack and clears the flags, all exceptions masked.
inline void initializeHardwareFloatUnit() noexcept { __asm__ volatile("fninit\n\tfwait"); }
#else
inline std::uint16_t hardwareControlWord() noexcept { return 0; }
inline void restoreHardwareControlWord(std::uint16_t) noexcept {}
inline void initializeHardwareFloatUnit() noexcept {}
#endif

// Empties the unit: flags cleared, FloatControlWord loaded; the processor's x87 unit is
// initialised too, so that nothing is pending there either.
inline void resetFloatUnit() noexcept {
  initializeHardwareFloatUnit();
  currentFloatUnit = {FloatControlWord, 0};
}

// Keeps code that the program does not control (the system's window procedures during a
// window's creation) from changing how the program computes: remembers the control word in
// force, both the unit's and the processor's, and on leaving the scope stores it into
// FloatControlWord, clears the pending flags and loads it again.
class FloatUnitBracket {
 public:
  FloatUnitBracket() noexcept
      : controlWord_(currentFloatUnit.controlWord), hardwareWord_(hardwareControlWord()) {}
  ~FloatUnitBracket() {
    FloatControlWord = controlWord_;
    currentFloatUnit = {controlWord_, 0};
    restoreHardwareControlWord(hardwareWord_);
  }
  FloatUnitBracket(const FloatUnitBracket&) = delete;
  FloatUnitBracket& operator=(const FloatUnitBracket&) = delete;

 private:
  std::uint16_t controlWord_;
  std::uint16_t hardwareWord_;
};

}  // namespace pumpcalc
