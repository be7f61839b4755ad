#!/bin/sh
# Exits 0 but writes no HEX file (as an assembler that rejects an option).
echo "Error: Unknown option"
exit 0
