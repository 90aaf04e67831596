# Writes ZIP: the manager's bundle "Quorvelan Plugin Manager.app/" at its top level, holding
# Contents/Info.plist and, in Contents/MacOS/, PROGRAM and HELPER with their exec bits.
set (bundle "Quorvelan Plugin Manager.app")
file (REMOVE_RECURSE "${STAGE}")
file (MAKE_DIRECTORY "${STAGE}/${bundle}/Contents/MacOS")
file (COPY "${PROGRAM}" "${HELPER}" DESTINATION "${STAGE}/${bundle}/Contents/MacOS")
file (WRITE "${STAGE}/${bundle}/Contents/Info.plist"
"<?xml version=\"1.0\" encoding=\"UTF-8\"?>
<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">
<plist version=\"1.0\">
<dict>
    <key>CFBundleExecutable</key>
    <string>Quorvelan Plugin Manager</string>
    <key>CFBundleName</key>
    <string>Quorvelan Plugin Manager</string>
    <key>CFBundleShortVersionString</key>
    <string>${VERSION}</string>
</dict>
</plist>
")

get_filename_component (zipFolder "${ZIP}" DIRECTORY)
file (MAKE_DIRECTORY "${zipFolder}")
file (REMOVE "${ZIP}")
find_program (ZIP_PROGRAM zip REQUIRED)
execute_process (COMMAND "${ZIP_PROGRAM}" -q -X -r "${ZIP}" "${bundle}"
                 WORKING_DIRECTORY "${STAGE}"
                 RESULT_VARIABLE result)
if (NOT result EQUAL 0)
    message (FATAL_ERROR "zip failed: ${result}")
endif()
file (REMOVE_RECURSE "${STAGE}")
