#!/bin/sh
# Takes a second before it writes its HEX file.
hex=
while [ $# -gt 0 ]; do
  [ "$1" = "-o" ] && { hex=$2; shift; }
  shift
done
sleep 1
printf ':00000001FF\r\n' > "$hex"
echo "Slow but complete."
