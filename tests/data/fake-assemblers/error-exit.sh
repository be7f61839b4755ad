#!/bin/sh
# An assembler that finds an error: message, no HEX file, exit code 1.
echo "servo000.asm(12) : Error : Unknown mnemonic"
exit 1
