cmake_minimum_required(VERSION 3.25)
# Run by the build (cmake -P) for one layer: fails when a file of the layer's folders
# (FOLDERS) includes a header of a program folder (PROGRAM) that the layer may not see
# (SEES: its own folders and those of the layers below it), or when a file outside platform/
# includes a header of the operating system's own calls: those go through platform/, which a
# Windows build replaces.
string(REPLACE "," ";" folders "${FOLDERS}")
string(REPLACE "," ";" program "${PROGRAM}")
string(REPLACE "," ";" sees "${SEES}")
set(faults "")
foreach(folder IN LISTS folders)
    file(GLOB files ${ROOT}/${folder}/*.cpp ${ROOT}/${folder}/*.h)
    foreach(f IN LISTS files)
        file(STRINGS ${f} system REGEX "^#include <(unistd|fcntl|dirent|sys/[a-z]+|linux/[a-z]+)\\.h>")
        if(NOT folder MATCHES "^platform(/|$)")
            foreach(line IN LISTS system)
                string(APPEND faults "\n  ${f}: ${line} (system calls go through platform/)")
            endforeach()
        endif()
        file(STRINGS ${f} includes REGEX "^#include \"[a-z]+/")
        foreach(line IN LISTS includes)
            # The folder of the header: platform/ by its job's sub-folder.
            string(REGEX REPLACE "^#include \"(platform/[a-z]+|[a-z]+)/.*" "\\1" target "${line}")
            if(target IN_LIST program AND NOT target IN_LIST sees)
                string(APPEND faults "\n  ${f}: ${line}")
            endif()
        endforeach()
    endforeach()
endforeach()
if(faults)
    message(FATAL_ERROR "a layer includes what it may not:${faults}")
endif()
file(TOUCH ${STAMP})
