# Runs kiobind once and compares what it printed, and its exit status, with a
# golden transcript: standard output, then "[stderr]" and standard error when
# there is any, then "[exit N]".
#   -DKIOBIND=<program> -DARGUMENTS=<arg|arg|...> -DWORKING_DIRECTORY=<dir> -DGOLDEN=<file>
#   -DEMULATOR=<program|arg|...> runs a cross-built kiobind (Wine for kiobind.exe)
#   -DEDITED=<file in WORKING_DIRECTORY> -DSCRATCH=<dir> for the commands that write:
#   kiobind runs in SCRATCH on a fresh copy of the file, written just now as a
#   script would write it, and the transcript ends with the file as kiobind left
#   it (CR shown as <CR>) and the other files beside it.
#   An argument THEN starts another run of kiobind, right after the one before.
# With -DUPDATE=ON the transcript is written instead of compared.
string(REPLACE "|" ";" arguments "${ARGUMENTS}")
string(REPLACE "|" ";" emulator "${EMULATOR}")
if(emulator)
    # kiobind is a program, not a test: Wine's runner passes its output and exit
    # status through as they are.
    list(APPEND emulator --plain)
endif()
if(EDITED)
    file(REMOVE_RECURSE ${SCRATCH})
    file(MAKE_DIRECTORY ${SCRATCH})
    file(COPY ${WORKING_DIRECTORY}/${EDITED} DESTINATION ${SCRATCH})
    file(TOUCH ${SCRATCH}/${EDITED})
    file(READ ${WORKING_DIRECTORY}/${EDITED} original HEX)
    set(WORKING_DIRECTORY ${SCRATCH})
endif()
set(transcript "")
set(run "")
list(APPEND arguments THEN)
foreach(argument IN LISTS arguments)
    if(NOT argument STREQUAL "THEN")
        list(APPEND run "${argument}")
        continue()
    endif()
    execute_process(
        COMMAND ${emulator} ${KIOBIND} ${run}
        WORKING_DIRECTORY ${WORKING_DIRECTORY}
        OUTPUT_VARIABLE out
        ERROR_VARIABLE err
        RESULT_VARIABLE status)
    set(run "")
    # Windows writes its line ends as CR LF; the transcripts hold LF only.
    string(REPLACE "\r\n" "\n" out "${out}")
    string(REPLACE "\r\n" "\n" err "${err}")
    string(APPEND transcript "${out}")
    if(NOT err STREQUAL "")
        string(APPEND transcript "[stderr]\n${err}")
    endif()
    string(APPEND transcript "[exit ${status}]\n")
endforeach()
if(EDITED)
    # Byte by byte: file(READ) as text would drop the CRs.
    file(READ ${SCRATCH}/${EDITED} hex HEX)
    string(REGEX MATCHALL ".." bytes "${hex}")
    string(APPEND transcript "[${EDITED}]\n")
    foreach(byte IN LISTS bytes)
        if(byte STREQUAL "0d")
            string(APPEND transcript "<CR>")
        else()
            math(EXPR code "0x${byte}")
            string(ASCII ${code} character)
            string(APPEND transcript "${character}")
        endif()
    endforeach()
    string(APPEND transcript "[end]\n")
    file(GLOB beside RELATIVE ${SCRATCH} ${SCRATCH}/*)
    list(REMOVE_ITEM beside ${EDITED})
    foreach(name IN LISTS beside)
        file(READ ${SCRATCH}/${name} contents HEX)
        if(name STREQUAL "${EDITED}.bak" AND contents STREQUAL original)
            string(APPEND transcript "[${name}: the file as it was]\n")
        else()
            string(APPEND transcript "[${name}: other bytes]\n")
        endif()
    endforeach()
endif()

if(UPDATE)
    file(WRITE ${GOLDEN} "${transcript}")
    return()
endif()
file(READ ${GOLDEN} expected)
if(NOT transcript STREQUAL expected)
    message(FATAL_ERROR "kiobind printed:\n${transcript}\nbut ${GOLDEN} expects:\n${expected}")
endif()
