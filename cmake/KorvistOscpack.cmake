# oscpack's codec, as the target korvist_oscpack: on Linux Debian's
# liboscpack-dev; for the Windows program its osc/ sources, compiled from
# Debian's source package that scripts/oscpack-source.sh unpacks (passed in as
# -DKORVIST_OSCPACK_SOURCE=DIR). Its ip/ sockets are not used: Qt carries the datagrams.
set(KORVIST_OSCPACK_SOURCE "" CACHE PATH "oscpack's unpacked source, to compile its codec from (the Windows build)")

if(KORVIST_OSCPACK_SOURCE)
    add_library(korvist_oscpack STATIC
        ${KORVIST_OSCPACK_SOURCE}/osc/OscOutboundPacketStream.cpp
        ${KORVIST_OSCPACK_SOURCE}/osc/OscReceivedElements.cpp
        ${KORVIST_OSCPACK_SOURCE}/osc/OscTypes.cpp
    )
    target_include_directories(korvist_oscpack SYSTEM PUBLIC ${KORVIST_OSCPACK_SOURCE})
    target_compile_definitions(korvist_oscpack PUBLIC OSC_HOST_LITTLE_ENDIAN=1)
else()
    find_path(KORVIST_OSCPACK_INCLUDE_DIR osc/OscReceivedElements.h PATH_SUFFIXES oscpack REQUIRED)
    find_library(KORVIST_OSCPACK_LIBRARY oscpack REQUIRED)
    add_library(korvist_oscpack INTERFACE)
    target_include_directories(korvist_oscpack SYSTEM INTERFACE ${KORVIST_OSCPACK_INCLUDE_DIR})
    target_link_libraries(korvist_oscpack INTERFACE ${KORVIST_OSCPACK_LIBRARY})
endif()
