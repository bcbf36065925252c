#!/usr/bin/env python3
"""Prints the power-of-ten tables of core/powers_of_ten.cpp.

Each entry is the 80-bit extended value nearest to the exact power of ten (ties to even),
computed here with exact integers. Run it and compare with the tables in the source:
  python3 tools/gen_powers_of_ten.py
"""


def nearest_extended(n: int):
    """Biased exponent and 64-bit significand of the extended value nearest to n > 0."""
    shift = n.bit_length() - 64
    if shift <= 0:
        return 16383 + n.bit_length() - 1, n << -shift
    q, r = divmod(n, 1 << shift)
    half = 1 << (shift - 1)
    if r > half or (r == half and q & 1):
        q += 1
    if q == 1 << 64:
        q >>= 1
        shift += 1
    return 16383 + 63 + shift, q


def table(name, powers):
    print(f"// {name}")
    for p in powers:
        e, m = nearest_extended(10**p)
        print(f"    ExtendedReal::fromBits(false, 0x{e:04X}, 0x{m:016X}),  // 1e{p}")


table("PowersOfTenLow", range(0, 32))
table("PowersOfTenMid", range(32, 481, 32))
table("PowersOfTenHigh", range(512, 4609, 512))
