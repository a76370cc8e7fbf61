# A cross build has no windeployqt, so the runtime is collected from the Qt the
# program was built against, into the layout windeployqt makes: the DLLs beside
# the program, the plugins in plugins/ beside bin/, and a qt.conf that leads
# Qt there.
set(korvist_bin ${CMAKE_INSTALL_BINDIR})

foreach(library Qt6::Core Qt6::Gui Qt6::Widgets)
    install(FILES $<TARGET_FILE:${library}> DESTINATION ${korvist_bin})
endforeach()

# The compiler's runtime, which the Qt build keeps beside its own DLLs.
foreach(runtime libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    set(runtime_path ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS}/${runtime})
    if(NOT EXISTS ${runtime_path})
        message(FATAL_ERROR "The compiler runtime ${runtime} is not beside Qt's DLLs in ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS}")
    endif()
    install(FILES ${runtime_path} DESTINATION ${korvist_bin})
endforeach()

# The window system, the native look, and the ICO reader for the application icon.
install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> DESTINATION plugins/platforms)
install(FILES $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin> DESTINATION plugins/styles)
install(FILES $<TARGET_FILE:Qt6::QICOPlugin> DESTINATION plugins/imageformats)

file(WRITE ${CMAKE_BINARY_DIR}/deploy/qt.conf "[Paths]\nPrefix=..\nPlugins=plugins\n")
install(FILES ${CMAKE_BINARY_DIR}/deploy/qt.conf DESTINATION ${korvist_bin})
