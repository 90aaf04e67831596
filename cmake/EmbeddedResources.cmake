# Build-time embedding of files as byte arrays in static libraries.

set (QUORVELAN_EMBED_SCRIPT "${CMAKE_CURRENT_LIST_DIR}/EmbedBytes.cmake")
set (QUORVELAN_ZIP_SCRIPT "${CMAKE_CURRENT_LIST_DIR}/MakeArchive.cmake")

# Zips the given folders of ARCHIVE_ROOT (with their folder entries) and embeds the zip.
function (quorvelan_add_resource_archive target)
    cmake_parse_arguments (ARG "" "ARCHIVE_ROOT;SYMBOL" "FOLDERS;PATTERNS" ${ARGN})

    set (inputs)
    foreach (pattern IN LISTS ARG_PATTERNS)
        file (GLOB found CONFIGURE_DEPENDS "${ARG_ARCHIVE_ROOT}/${pattern}")
        list (APPEND inputs ${found})
    endforeach()
    list (SORT inputs)

    set (workDir "${CMAKE_CURRENT_BINARY_DIR}/${target}")
    set (zipFile "${workDir}/${target}.zip")
    set (source "${workDir}/${target}.cpp")

    add_custom_command (OUTPUT "${zipFile}"
        COMMAND ${CMAKE_COMMAND}
            -D "ROOT=${ARG_ARCHIVE_ROOT}"
            -D "STAGE=${workDir}/stage"
            -D "ZIP=${zipFile}"
            -D "FOLDERS=${ARG_FOLDERS}"
            -D "INPUTS=${inputs}"
            -P "${QUORVELAN_ZIP_SCRIPT}"
        DEPENDS ${inputs} "${QUORVELAN_ZIP_SCRIPT}"
        COMMENT "Packing ${target}.zip"
        VERBATIM)

    quorvelan_embed_generated (${target} "${zipFile}" "${source}" ${ARG_SYMBOL})
endfunction()

# Embeds one file as it stands.
function (quorvelan_embed_file target)
    cmake_parse_arguments (ARG "" "FILE;SYMBOL" "" ${ARGN})
    set (source "${CMAKE_CURRENT_BINARY_DIR}/${target}/${target}.cpp")
    quorvelan_embed_generated (${target} "${ARG_FILE}" "${source}" ${ARG_SYMBOL})
endfunction()

function (quorvelan_embed_generated target input source symbol)
    add_custom_command (OUTPUT "${source}"
        COMMAND ${CMAKE_COMMAND}
            -D "INPUT=${input}"
            -D "OUTPUT=${source}"
            -D "SYMBOL=${symbol}"
            -P "${QUORVELAN_EMBED_SCRIPT}"
        DEPENDS "${input}" "${QUORVELAN_EMBED_SCRIPT}"
        COMMENT "Embedding ${input}"
        VERBATIM)

    add_library (${target} STATIC "${source}")
endfunction()
