# Nayuki's QR code generator, as the target korvist_qrcodegen: on Linux
# Debian's libqrcodegencpp-dev; for the Windows program its cpp/qrcodegen.cpp,
# compiled from Debian's qr-code-generator source that
# scripts/qrcodegen-source.sh unpacks (passed in as -DKORVIST_QRCODEGEN_SOURCE=DIR).
set(KORVIST_QRCODEGEN_SOURCE "" CACHE PATH "qr-code-generator's unpacked source, to compile it from (the Windows build)")

if(KORVIST_QRCODEGEN_SOURCE)
    add_library(korvist_qrcodegen STATIC ${KORVIST_QRCODEGEN_SOURCE}/cpp/qrcodegen.cpp)
    target_include_directories(korvist_qrcodegen SYSTEM PUBLIC ${KORVIST_QRCODEGEN_SOURCE}/cpp)
else()
    find_path(KORVIST_QRCODEGEN_INCLUDE_DIR qrcodegen.hpp PATH_SUFFIXES qrcodegen REQUIRED)
    find_library(KORVIST_QRCODEGEN_LIBRARY qrcodegencpp REQUIRED)
    add_library(korvist_qrcodegen INTERFACE)
    target_include_directories(korvist_qrcodegen SYSTEM INTERFACE ${KORVIST_QRCODEGEN_INCLUDE_DIR})
    target_link_libraries(korvist_qrcodegen INTERFACE ${KORVIST_QRCODEGEN_LIBRARY})
endif()
