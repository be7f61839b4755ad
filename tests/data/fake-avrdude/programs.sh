#!/bin/sh
# An avrdude that programs an ATtiny15 as the real one reports it: the
# first call reads the signature and the calibration byte 0x5A, the second
# prints a whole write (tests/data/avrdude/write-chip.txt) and copies the
# flash file it was given to $FAKE_AVRDUDE_FLASH.
case "$*" in
*calibration:r:*)
  echo "avrdude: device signature = 0x1e9006 (probably t15)"
  printf '\036\220\006' > signature.bin
  printf 'Z' > calibration.bin
  ;;
*)
  cat "$(dirname "$0")/../avrdude/write-chip.txt"
  [ -n "$FAKE_AVRDUDE_FLASH" ] && cp flash.hex "$FAKE_AVRDUDE_FLASH"
  ;;
esac
exit 0
