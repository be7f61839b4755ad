#!/bin/sh
# Never ends by itself.
echo "Started."
exec sleep 60
