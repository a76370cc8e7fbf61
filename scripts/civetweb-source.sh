#!/usr/bin/env bash
# Debian's civetweb source (the same release as Linux's libcivetweb-dev), whose
# civetweb.c the Windows program compiles in (cmake/KorvistCivetweb.cmake,
# -DKORVIST_CIVETWEB_SOURCE=DIR): its directory on the last line of standard output.
exec "$(dirname "$0")/cached-source.sh" civetweb 1.15+dfsg-4 src/civetweb.c include/civetweb.h
