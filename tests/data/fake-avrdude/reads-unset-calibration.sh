#!/bin/sh
# An avrdude that reads an ATtiny15 whose calibration byte was never set.
printf '\036\220\006' > signature.bin
printf '\377' > calibration.bin
