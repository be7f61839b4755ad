#!/bin/sh
# Takes a second before it writes its HEX file.
source=; hex=
while [ $# -gt 0 ]; do
  [ "$1" = "-fI" ] && { source=$2; shift; }
  [ "$1" = "-o" ] && { hex=$2; shift; }
  shift
done
sleep 1
"$(dirname "$0")/table-hex.sh" "$source" "$hex"
echo "Slow but complete."
