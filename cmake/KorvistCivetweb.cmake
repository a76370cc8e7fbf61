# civetweb, the phone remote's HTTP and WebSocket server, as the target
# korvist_civetweb: on Linux Debian's libcivetweb-dev (WebSockets built in);
# for the Windows program its civetweb.c, compiled without TLS and with
# WebSockets from Debian's source package that scripts/civetweb-source.sh
# unpacks (passed in as -DKORVIST_CIVETWEB_SOURCE=DIR).
set(KORVIST_CIVETWEB_SOURCE "" CACHE PATH "civetweb's unpacked source, to compile it from (the Windows build)")

if(KORVIST_CIVETWEB_SOURCE)
    add_library(korvist_civetweb STATIC ${KORVIST_CIVETWEB_SOURCE}/src/civetweb.c)
    target_include_directories(korvist_civetweb SYSTEM PUBLIC ${KORVIST_CIVETWEB_SOURCE}/include)
    target_compile_definitions(korvist_civetweb PRIVATE NO_SSL USE_WEBSOCKET NO_CGI NO_FILES)
    if(WIN32)
        target_link_libraries(korvist_civetweb PUBLIC ws2_32)
    endif()
else()
    find_path(KORVIST_CIVETWEB_INCLUDE_DIR civetweb.h REQUIRED)
    find_library(KORVIST_CIVETWEB_LIBRARY civetweb REQUIRED)
    add_library(korvist_civetweb INTERFACE)
    target_include_directories(korvist_civetweb SYSTEM INTERFACE ${KORVIST_CIVETWEB_INCLUDE_DIR})
    target_link_libraries(korvist_civetweb INTERFACE ${KORVIST_CIVETWEB_LIBRARY})
endif()
