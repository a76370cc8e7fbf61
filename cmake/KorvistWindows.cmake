# The Windows install: KorvistDriver.exe with its translations and Qt's runtime
# in one directory, and the installer made from it. Included from the top level
# inside if(WIN32), after the targets have been declared.
include(GNUInstallDirs)

install(TARGETS KorvistDriver KorvistDriverConsole RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The program loads its .qm files from its own directory.
install(DIRECTORY ${CMAKE_BINARY_DIR}/bin/
        DESTINATION ${CMAKE_INSTALL_BINDIR}
        FILES_MATCHING PATTERN "KorvistDriver_*.qm")

if(CMAKE_CROSSCOMPILING)
    include(KorvistWindowsCrossDeploy)
else()
    # Qt's own deployment script runs windeployqt at install time: Qt's DLLs,
    # the platform and style plugins with a qt.conf that finds them, Qt's
    # translations and the compiler runtime. Qt 6.5 renamed the option that
    # names the script.
    if(Qt6Core_VERSION VERSION_LESS 6.5)
        qt_generate_deploy_app_script(TARGET KorvistDriver
            FILENAME_VARIABLE korvist_deploy_script
            NO_UNSUPPORTED_PLATFORM_ERROR)
    else()
        qt_generate_deploy_app_script(TARGET KorvistDriver
            OUTPUT_SCRIPT korvist_deploy_script
            NO_UNSUPPORTED_PLATFORM_ERROR)
    endif()
    install(SCRIPT ${korvist_deploy_script})
endif()

include(KorvistInstaller)
