#!/usr/bin/env bash
# Debian's qr-code-generator source (the same release as Linux's
# libqrcodegencpp-dev), whose cpp/qrcodegen.cpp the Windows program compiles in
# (cmake/KorvistQrcodegen.cmake, -DKORVIST_QRCODEGEN_SOURCE=DIR): its directory
# on the last line of standard output.
exec "$(dirname "$0")/cached-source.sh" qr-code-generator 1.8.0-1.1 cpp/qrcodegen.cpp cpp/qrcodegen.hpp
