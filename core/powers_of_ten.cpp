#include "core/powers_of_ten.h"

namespace pumpcalc {

const std::array<ExtendedReal, 32> PowersOfTenLow = {
    ExtendedReal::fromBits(false, 0x3FFF, 0x8000000000000000),  // 1e0
    ExtendedReal::fromBits(false, 0x4002, 0xA000000000000000),  // 1e1
    ExtendedReal::fromBits(false, 0x4005, 0xC800000000000000),  // 1e2
    ExtendedReal::fromBits(false, 0x4008, 0xFA00000000000000),  // 1e3
    ExtendedReal::fromBits(false, 0x400C, 0x9C40000000000000),  // 1e4
    ExtendedReal::fromBits(false, 0x400F, 0xC350000000000000),  // 1e5
    ExtendedReal::fromBits(false, 0x4012, 0xF424000000000000),  // 1e6
    ExtendedReal::fromBits(false, 0x4016, 0x9896800000000000),  // 1e7
    ExtendedReal::fromBits(false, 0x4019, 0xBEBC200000000000),  // 1e8
    ExtendedReal::fromBits(false, 0x401C, 0xEE6B280000000000),  // 1e9
    ExtendedReal::fromBits(false, 0x4020, 0x9502F90000000000),  // 1e10
    ExtendedReal::fromBits(false, 0x4023, 0xBA43B74000000000),  // 1e11
    ExtendedReal::fromBits(false, 0x4026, 0xE8D4A51000000000),  // 1e12
    ExtendedReal::fromBits(false, 0x402A, 0x9184E72A00000000),  // 1e13
    ExtendedReal::fromBits(false, 0x402D, 0xB5E620F480000000),  // 1e14
    ExtendedReal::fromBits(false, 0x4030, 0xE35FA931A0000000),  // 1e15
    ExtendedReal::fromBits(false, 0x4034, 0x8E1BC9BF04000000),  // 1e16
    ExtendedReal::fromBits(false, 0x4037, 0xB1A2BC2EC5000000),  // 1e17
    ExtendedReal::fromBits(false, 0x403A, 0xDE0B6B3A76400000),  // 1e18
    ExtendedReal::fromBits(false, 0x403E, 0x8AC7230489E80000),  // 1e19
    ExtendedReal::fromBits(false, 0x4041, 0xAD78EBC5AC620000),  // 1e20
    ExtendedReal::fromBits(false, 0x4044, 0xD8D726B7177A8000),  // 1e21
    ExtendedReal::fromBits(false, 0x4048, 0x878678326EAC9000),  // 1e22
    ExtendedReal::fromBits(false, 0x404B, 0xA968163F0A57B400),  // 1e23
    ExtendedReal::fromBits(false, 0x404E, 0xD3C21BCECCEDA100),  // 1e24
    ExtendedReal::fromBits(false, 0x4052, 0x84595161401484A0),  // 1e25
    ExtendedReal::fromBits(false, 0x4055, 0xA56FA5B99019A5C8),  // 1e26
    ExtendedReal::fromBits(false, 0x4058, 0xCECB8F27F4200F3A),  // 1e27
    ExtendedReal::fromBits(false, 0x405C, 0x813F3978F8940984),  // 1e28
    ExtendedReal::fromBits(false, 0x405F, 0xA18F07D736B90BE5),  // 1e29
    ExtendedReal::fromBits(false, 0x4062, 0xC9F2C9CD04674EDF),  // 1e30
    ExtendedReal::fromBits(false, 0x4065, 0xFC6F7C4045812296),  // 1e31
};

const std::array<ExtendedReal, 16> PowersOfTenMid = {
    ExtendedReal{},                                             // unused
    ExtendedReal::fromBits(false, 0x4069, 0x9DC5ADA82B70B59E),  // 1e32
    ExtendedReal::fromBits(false, 0x40D3, 0xC2781F49FFCFA6D5),  // 1e64
    ExtendedReal::fromBits(false, 0x413D, 0xEFB3AB16C59B14A3),  // 1e96
    ExtendedReal::fromBits(false, 0x41A8, 0x93BA47C980E98CE0),  // 1e128
    ExtendedReal::fromBits(false, 0x4212, 0xB616A12B7FE617AA),  // 1e160
    ExtendedReal::fromBits(false, 0x427C, 0xE070F78D3927556B),  // 1e192
    ExtendedReal::fromBits(false, 0x42E7, 0x8A5296FFE33CC930),  // 1e224
    ExtendedReal::fromBits(false, 0x4351, 0xAA7EEBFB9DF9DE8E),  // 1e256
    ExtendedReal::fromBits(false, 0x43BB, 0xD226FC195C6A2F8C),  // 1e288
    ExtendedReal::fromBits(false, 0x4426, 0x81842F29F2CCE376),  // 1e320
    ExtendedReal::fromBits(false, 0x4490, 0x9FA42700DB900AD2),  // 1e352
    ExtendedReal::fromBits(false, 0x44FA, 0xC4C5E310AEF8AA17),  // 1e384
    ExtendedReal::fromBits(false, 0x4564, 0xF28A9C07E9B09C59),  // 1e416
    ExtendedReal::fromBits(false, 0x45CF, 0x957A4AE1EBF7F3D4),  // 1e448
    ExtendedReal::fromBits(false, 0x4639, 0xB83ED8DC0795A262),  // 1e480
};

const std::array<ExtendedReal, 10> PowersOfTenHigh = {
    ExtendedReal{},                                             // unused
    ExtendedReal::fromBits(false, 0x46A3, 0xE319A0AEA60E91C7),  // 1e512
    ExtendedReal::fromBits(false, 0x4D48, 0xC976758681750C17),  // 1e1024
    ExtendedReal::fromBits(false, 0x53ED, 0xB2B8353B3993A7E4),  // 1e1536
    ExtendedReal::fromBits(false, 0x5A92, 0x9E8B3B5DC53D5DE5),  // 1e2048
    ExtendedReal::fromBits(false, 0x6137, 0x8CA554C020A1F0A6),  // 1e2560
    ExtendedReal::fromBits(false, 0x67DB, 0xF9895D25D88B5A8B),  // 1e3072
    ExtendedReal::fromBits(false, 0x6E80, 0xDD5DC8A2BF27F3F8),  // 1e3584
    ExtendedReal::fromBits(false, 0x7525, 0xC46052028A20979B),  // 1e4096
    ExtendedReal::fromBits(false, 0x7BCA, 0xAE3511626ED559F0),  // 1e4608
};

// Made after PowersOfTenLow, which is constant-initialized.
const std::array<InvariantDivisor, 32> PowersOfTenLowDivisors = [] {
  std::array<InvariantDivisor, 32> divisors;
  for (std::size_t k = 0; k < divisors.size(); ++k) {
    divisors[k] = InvariantDivisor(PowersOfTenLow[k]);
  }
  return divisors;
}();

ExtendedReal scaleByPowerOfTen(ExtendedReal x, std::int32_t n) noexcept {
  constexpr std::int32_t limit = 5120;
  if (n == 0) return x;
  if (n >= limit) return ExtendedReal::fromBits(false, extendedMaxExponent, 0x8000000000000000u);
  if (n <= -limit) return ExtendedReal{};

  // m = a + 32·b + 512·c with a < 32, b < 16, c < 10.
  const std::uint32_t m = n > 0 ? static_cast<std::uint32_t>(n) : static_cast<std::uint32_t>(-n);
  const std::uint32_t a = m % 32, b = (m / 32) % 16, c = m / 512;
  if (n > 0) {
    x = x * PowersOfTenLow[a];
    if (b != 0) x = x * PowersOfTenMid[b];
    if (c != 0) x = x * PowersOfTenHigh[c];
  } else {
    x = x / PowersOfTenLow[a];
    if (b != 0) x = x / PowersOfTenMid[b];
    if (c != 0) x = x / PowersOfTenHigh[c];
  }
  return x;
}

}  // namespace pumpcalc
