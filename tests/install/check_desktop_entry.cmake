# The menu entry starts the installed program with the installed icon, carries a
# Japanese name and comment beside the English ones, and is valid for the
# desktops: desktop-file-validate reports nothing at all (hints included).
file(STRINGS "${ENTRY}" lines ENCODING UTF-8)
# A line given whole, or a key given with "=" that needs a non-empty value.
foreach(wanted "[Desktop Entry]" "Type=Application" "Exec=nuthumb" "Icon=nuthumb" "Name=NuThumb"
               "Comment=" "Name[ja]=" "Comment[ja]=")
  set(found FALSE)
  foreach(line IN LISTS lines)
    string(FIND "${line}" "${wanted}" at)
    string(LENGTH "${wanted}" wanted_length)
    string(LENGTH "${line}" line_length)
    if(line STREQUAL wanted OR (wanted MATCHES "=$" AND at EQUAL 0 AND line_length GREATER wanted_length))
      set(found TRUE)
    endif()
  endforeach()
  if(NOT found)
    message(FATAL_ERROR "${ENTRY}: no line ${wanted}…")
  endif()
endforeach()

if(NOT VALIDATE)
  message(WARNING "desktop-file-validate is not installed (Debian desktop-file-utils): only the keys were checked")
  return()
endif()
execute_process(COMMAND "${VALIDATE}" "${ENTRY}" RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT status EQUAL 0 OR NOT out STREQUAL "")
  message(FATAL_ERROR "desktop-file-validate (${status}):\n${out}")
endif()
