# CPack's External generator runs this with the install tree staged in
# CPACK_TEMPORARY_DIRECTORY: wixl-heat lists its files as components, wixl
# makes the 64-bit MSI from them and the product's own description.
find_program(KORVIST_WIXL wixl)
find_program(KORVIST_WIXL_HEAT wixl-heat)
find_program(KORVIST_MSIBUILD msibuild)
if(NOT KORVIST_WIXL OR NOT KORVIST_WIXL_HEAT OR NOT KORVIST_MSIBUILD)
    message(FATAL_ERROR "wixl, wixl-heat (Debian's package wixl) and msibuild (msitools) make the installer; "
                        "install them first")
endif()

set(stage ${CPACK_TEMPORARY_DIRECTORY})
set(work ${CPACK_TOPLEVEL_DIRECTORY}/msi)
file(MAKE_DIRECTORY ${work})
file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${stage} ${stage}/*)
list(SORT files)
list(TRANSFORM files PREPEND "${stage}/")
string(REPLACE ";" "\n" listing "${files}")
file(WRITE ${work}/files.txt "${listing}\n")

execute_process(COMMAND ${KORVIST_WIXL_HEAT} -p ${stage}/ --component-group ProgramFiles
                        --var var.StageDir --directory-ref INSTALLDIR --win64
    INPUT_FILE ${work}/files.txt OUTPUT_FILE ${work}/files.wxs RESULT_VARIABLE heat)
if(NOT heat EQUAL 0)
    message(FATAL_ERROR "wixl-heat failed (${heat})")
endif()

# wixl takes sources only as paths relative to where it runs.
file(RELATIVE_PATH relative_stage ${work} ${stage})
set(msi ${CPACK_PACKAGE_DIRECTORY}/${CPACK_PACKAGE_FILE_NAME}.msi)
execute_process(COMMAND ${KORVIST_WIXL} --arch x64 -D StageDir=${relative_stage} -D Win64=yes
                        -o ${msi} ${CPACK_KORVIST_WXS} files.wxs
    WORKING_DIRECTORY ${work} RESULT_VARIABLE wixl)
if(NOT wixl EQUAL 0)
    message(FATAL_ERROR "wixl failed (${wixl})")
endif()

# wixl marks only the upgrade's properties secure. Where Windows restricts
# public properties (an elevated install started without administrator
# rights), only secure ones reach the part that writes the machine's files
# and keys, and AUTOSTART must be one of them.
execute_process(COMMAND ${KORVIST_MSIBUILD} ${msi} -q
    "UPDATE `Property` SET `Value` = 'OLDERFOUND;NEWERFOUND;AUTOSTART' WHERE `Property` = 'SecureCustomProperties'"
    RESULT_VARIABLE secured)
if(NOT secured EQUAL 0)
    message(FATAL_ERROR "msibuild failed (${secured})")
endif()
set(CPACK_EXTERNAL_BUILT_PACKAGES ${msi})
