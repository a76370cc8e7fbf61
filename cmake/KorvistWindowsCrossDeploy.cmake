# A cross build has no windeployqt, so the runtime is collected from the Qt the
# program was built against, into the layout windeployqt makes: the DLLs beside
# the program, the plugins in plugins/ beside bin/, and a qt.conf that leads
# Qt there.
set(korvist_bin ${CMAKE_INSTALL_BINDIR})

foreach(library Qt6::Core Qt6::Gui Qt6::Widgets Qt6::Network)
    install(FILES $<TARGET_FILE:${library}> DESTINATION ${korvist_bin})
endforeach()

# The runtime of the compiler that built the program, from that compiler: a
# Qt cached from an older compiler must not ship an older runtime with it.
foreach(runtime libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${runtime}
                    OUTPUT_VARIABLE runtime_path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${runtime_path}" OR NOT EXISTS "${runtime_path}")
        message(FATAL_ERROR "${CMAKE_CXX_COMPILER} does not know where its runtime ${runtime} is")
    endif()
    install(FILES ${runtime_path} DESTINATION ${korvist_bin})
endforeach()

# The window system, the native look, and the ICO reader for the application icon.
install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> DESTINATION plugins/platforms)
install(FILES $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin> DESTINATION plugins/styles)
install(FILES $<TARGET_FILE:Qt6::QICOPlugin> DESTINATION plugins/imageformats)

file(WRITE ${CMAKE_BINARY_DIR}/deploy/qt.conf "[Paths]\nPrefix=..\nPlugins=plugins\n")
install(FILES ${CMAKE_BINARY_DIR}/deploy/qt.conf DESTINATION ${korvist_bin})
