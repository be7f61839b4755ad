#!/bin/sh
# An avrdude that leaves a child behind, which writes its process id into
# $FAKE_AVRDUDE_CHILD and sleeps on, then reads the chip's signature and
# hangs.
sleep 60 &
[ -n "$FAKE_AVRDUDE_CHILD" ] && echo $! > "$FAKE_AVRDUDE_CHILD.new" && mv "$FAKE_AVRDUDE_CHILD.new" "$FAKE_AVRDUDE_CHILD"
echo "avrdude: device signature = 0x1e9006 (probably t15)"
exec sleep 60
