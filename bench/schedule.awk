# A pump schedule of `rows` headerless TSV lines (awk -v rows=N -f schedule.awk): flow
# 0.5-999.99 m3/h with 2 decimals, head 1-250 m with 1 decimal, efficiency 30-90 % with 1
# decimal, the shapes of text that a pump schedule holds. A fixed-seed Park-Miller generator:
# all products stay below 2^53, so every awk writes the same rows.
BEGIN {
  seed = 20240601
  for (i = 0; i < rows; ++i) {
    seed = (seed * 16807) % 2147483647; flow = 50 + seed % 99950
    seed = (seed * 16807) % 2147483647; head = 10 + seed % 2490
    seed = (seed * 16807) % 2147483647; eff = 300 + seed % 601
    printf "%.2f\t%.1f\t%.1f\n", flow / 100, head / 10, eff / 10
  }
}
