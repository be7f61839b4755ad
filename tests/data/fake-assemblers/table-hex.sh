#!/bin/sh
# Not an assembler: the fakes that succeed call it to write the HEX file $2
# that a real assembler makes of the ".db" lines of the source $1, their
# decimal bytes in order from address 0, sixteen to a record.
awk '
{ sub(/\r$/, ""); sub(/;.*/, "") }
/\.[dD][bB][ \t]/ {
  line = $0; sub(/.*\.[dD][bB][ \t]+/, "", line)
  k = split(line, v, ",")
  for (i = 1; i <= k; i++) {
    x = v[i]; gsub(/[ \t]/, "", x)
    b[n++] = (x ~ /^[0-9]+$/) ? x % 256 : 0
  }
}
END {
  for (a = 0; a < n; a += 16) {
    c = (n - a < 16) ? n - a : 16
    sum = c + int(a / 256) + a % 256
    record = sprintf(":%02X%04X00", c, a)
    for (i = 0; i < c; i++) { record = record sprintf("%02X", b[a + i]); sum += b[a + i] }
    printf "%s%02X\r\n", record, (256 - sum % 256) % 256
  }
  printf ":00000001FF\r\n"
}' "$1" > "$2"
