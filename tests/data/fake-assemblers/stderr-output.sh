#!/bin/sh
# Writes its HEX file but reports on standard error.
hex=
while [ $# -gt 0 ]; do
  [ "$1" = "-o" ] && { hex=$2; shift; }
  shift
done
echo "Warning: on standard error" >&2
printf ':00000001FF\r\n' > "$hex"
