#!/bin/sh
# Writes its HEX file but reports on standard error.
source=; hex=
while [ $# -gt 0 ]; do
  [ "$1" = "-fI" ] && { source=$2; shift; }
  [ "$1" = "-o" ] && { hex=$2; shift; }
  shift
done
echo "Warning: on standard error" >&2
"$(dirname "$0")/table-hex.sh" "$source" "$hex"
