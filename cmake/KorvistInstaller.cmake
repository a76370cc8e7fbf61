# The installer, made with CPack: an MSI written by wixl (Debian's msitools)
# from the staged install tree, so it is made the same way on Linux and on
# Windows (where msitools' wixl runs too). `cpack` in the build directory
# writes KorvistMixer-<version>-win64.msi.

# Windows Installer compares the first three fields of a version.
set(KORVIST_MSI_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH})
math(EXPR korvist_next_patch "${PROJECT_VERSION_PATCH} + 1")
set(KORVIST_MSI_NEXT_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${korvist_next_patch})

# The stamps' folders get the descriptors that the program checks them
# against, written once, in its source.
set(korvist_owner_header ${PROJECT_SOURCE_DIR}/src/platform/interfaceowner_win.h)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${korvist_owner_header})
file(READ ${korvist_owner_header} korvist_owner_source)
foreach(folder Parent Folder)
    if(NOT korvist_owner_source MATCHES "kStamp${folder}Sddl\\[\\] = L\"([^\"]+)\"")
        message(FATAL_ERROR "kStamp${folder}Sddl not found in ${korvist_owner_header}")
    endif()
    string(TOUPPER ${folder} variable)
    set(CPACK_KORVIST_STAMP_${variable}_SDDL "${CMAKE_MATCH_1}")
endforeach()

configure_file(${KORVIST_CMAKE_DIR}/KorvistMixer.wxs.in
               ${CMAKE_BINARY_DIR}/KorvistMixer.wxs @ONLY)

set(CPACK_PACKAGE_NAME "KorvistMixer")
set(CPACK_PACKAGE_VENDOR "Korvist")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME "KorvistMixer-${PROJECT_VERSION}-win64")
set(CPACK_GENERATOR External)
set(CPACK_EXTERNAL_ENABLE_STAGING ON)
set(CPACK_EXTERNAL_PACKAGE_SCRIPT ${KORVIST_CMAKE_DIR}/KorvistMsi.cmake)
set(CPACK_KORVIST_WXS ${CMAKE_BINARY_DIR}/KorvistMixer.wxs)
include(CPack)
