#!/bin/sh
# Exits 0 and leaves an empty HEX file (a full disk, a crash mid-write).
hex=
while [ $# -gt 0 ]; do
  [ "$1" = "-o" ] && { hex=$2; shift; }
  shift
done
echo "Fake assembler: empty HEX"
: > "$hex"
