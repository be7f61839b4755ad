#!/bin/sh
# An avrdude that ends well although it read another chip's signature (as
# with -F): the programming must not take it for an ATtiny15.
echo "avrdude: device signature = 0x1e9007 (probably t13)"
printf '\036\220\007' > signature.bin
printf 'Z' > calibration.bin
