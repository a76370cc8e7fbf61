#!/usr/bin/env bash
# Debian's oscpack source (the same release as Linux's liboscpack-dev), whose
# osc/ codec the Windows program compiles in (cmake/KorvistOscpack.cmake,
# -DKORVIST_OSCPACK_SOURCE=DIR): its directory on the last line of standard output.
exec "$(dirname "$0")/cached-source.sh" oscpack 1.1.0-3 \
    osc/OscOutboundPacketStream.cpp osc/OscReceivedElements.cpp osc/OscTypes.cpp
