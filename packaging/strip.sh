#!/bin/sh
# Strips a program for the package as Debian's dh_strip does.
exec strip --remove-section=.comment --remove-section=.note --strip-unneeded "$@"
