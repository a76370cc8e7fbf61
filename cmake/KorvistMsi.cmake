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
# wixl writes no permissions either: the stamps' folders get their
# descriptors from MsiLockPermissionsEx, which Windows Installer 5 applies to
# each folder it creates, and to one that was there before.
execute_process(COMMAND ${KORVIST_MSIBUILD} ${msi}
    -q "UPDATE `Property` SET `Value` = 'OLDERFOUND;NEWERFOUND;AUTOSTART' WHERE `Property` = 'SecureCustomProperties'"
    -q "CREATE TABLE `MsiLockPermissionsEx` (`MsiLockPermissionsEx` CHAR(72) NOT NULL, `LockObject` CHAR(72) NOT NULL, `Table` CHAR(32) NOT NULL, `SDDL` LONGCHAR NOT NULL, `Condition` CHAR(255) PRIMARY KEY `MsiLockPermissionsEx`)"
    -q "INSERT INTO `MsiLockPermissionsEx` (`MsiLockPermissionsEx`, `LockObject`, `Table`, `SDDL`) VALUES ('SharedDataAccess', 'SharedDataDir', 'CreateFolder', '${CPACK_KORVIST_STAMP_PARENT_SDDL}')"
    -q "INSERT INTO `MsiLockPermissionsEx` (`MsiLockPermissionsEx`, `LockObject`, `Table`, `SDDL`) VALUES ('InterfaceOwnersAccess', 'InterfaceOwnersDir', 'CreateFolder', '${CPACK_KORVIST_STAMP_FOLDER_SDDL}')"
    RESULT_VARIABLE amended)
if(NOT amended EQUAL 0)
    message(FATAL_ERROR "msibuild failed (${amended})")
endif()
set(CPACK_EXTERNAL_BUILT_PACKAGES ${msi})
