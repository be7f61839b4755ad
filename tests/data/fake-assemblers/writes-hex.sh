#!/bin/sh
# Behaves like a good assembler: reads the source named after -fI, writes
# the HEX file named after -o with the source's table in it and an object
# file beside the source, and prints its arguments, one per line.
source=; hex=
while [ $# -gt 0 ]; do
  case "$1" in
    -fI) source=$2; shift ;;
    -o) hex=$2; shift ;;
  esac
  shift
done
echo "Fake assembler: $source"
[ -r "$source" ] || { echo "cannot read $source"; exit 2; }
"$(dirname "$0")/table-hex.sh" "$source" "$hex"
printf 'obj' > "${source%asm}obj"
echo "Assembly complete."
