# Copies INPUTS (paths below ROOT) into STAGE and zips the FOLDERS of STAGE into ZIP,
# keeping the folder entries.
file (REMOVE_RECURSE "${STAGE}")
foreach (folder IN LISTS FOLDERS)
    file (MAKE_DIRECTORY "${STAGE}/${folder}")
endforeach()

foreach (input IN LISTS INPUTS)
    file (RELATIVE_PATH relative "${ROOT}" "${input}")
    get_filename_component (folder "${relative}" DIRECTORY)
    file (COPY "${input}" DESTINATION "${STAGE}/${folder}")
endforeach()

file (REMOVE "${ZIP}")
find_program (ZIP_PROGRAM zip REQUIRED)
execute_process (COMMAND "${ZIP_PROGRAM}" -q -X -r "${ZIP}" ${FOLDERS}
                 WORKING_DIRECTORY "${STAGE}"
                 RESULT_VARIABLE result)
if (NOT result EQUAL 0)
    message (FATAL_ERROR "zip failed: ${result}")
endif()
