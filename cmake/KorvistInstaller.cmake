# The installer, made with CPack: an MSI written by wixl (Debian's msitools)
# from the staged install tree, so it is made the same way on Linux and on
# Windows (where msitools' wixl runs too). `cpack` in the build directory
# writes KorvistMixer-<version>-win64.msi.
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
