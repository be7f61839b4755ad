#!/bin/sh
# A wrapper that does not wait for what it started: its HEX file is written,
# but a child goes on writing the object file and leaves its process id in
# a ".pid" file beside the source.
source=; hex=
while [ $# -gt 0 ]; do
  case "$1" in
    -fI) source=$2; shift ;;
    -o) hex=$2; shift ;;
  esac
  shift
done
printf ':00000001FF\r\n' > "$hex"
(while :; do echo obj >> "${source%asm}obj"; sleep 0.02; done) &
echo $! > "${source%asm}pid.new" && mv "${source%asm}pid.new" "${source%asm}pid"
echo "Assembly complete."
