#!/bin/sh
# A wrapper that does not wait for what it started: writes-hex.sh does the
# assembler's work, but a child goes on writing the object file and leaves
# its process id in a ".pid" file beside the source (the run passes
# "-fI SOURCE" first).
"$(dirname "$0")/writes-hex.sh" "$@"
source=$2
(while :; do echo obj >> "${source%asm}obj"; sleep 0.02; done) &
echo $! > "${source%asm}pid.new" && mv "${source%asm}pid.new" "${source%asm}pid"
