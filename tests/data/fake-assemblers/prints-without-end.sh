#!/bin/sh
# Prints the same error line for ever and never writes a HEX file.
exec yes "servo000.asm(1) : Error : Unknown mnemonic"
