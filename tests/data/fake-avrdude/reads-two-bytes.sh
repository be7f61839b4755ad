#!/bin/sh
# An avrdude that reads an ATtiny15's signature and leaves two bytes where
# the one calibration byte belongs.
echo "avrdude: device signature = 0x1e9006 (probably t15)"
printf '\036\220\006' > signature.bin
printf 'ZZ' > calibration.bin
