# Runs kiobind once and compares what it printed, and its exit status, with a
# golden transcript: standard output, then "[stderr]" and standard error when
# there is any, then "[exit N]".
#   -DKIOBIND=<program> -DARGUMENTS=<arg|arg|...> -DWORKING_DIRECTORY=<dir> -DGOLDEN=<file>
#   -DEMULATOR=<program|arg|...> runs a cross-built kiobind (Wine for kiobind.exe)
# With -DUPDATE=ON the transcript is written instead of compared.
string(REPLACE "|" ";" arguments "${ARGUMENTS}")
string(REPLACE "|" ";" emulator "${EMULATOR}")
if(emulator)
    # kiobind is a program, not a test: Wine's runner passes its output and exit
    # status through as they are.
    list(APPEND emulator --plain)
endif()
execute_process(
    COMMAND ${emulator} ${KIOBIND} ${arguments}
    WORKING_DIRECTORY ${WORKING_DIRECTORY}
    OUTPUT_VARIABLE out
    ERROR_VARIABLE err
    RESULT_VARIABLE status)
# Windows writes its line ends as CR LF; the transcripts hold LF only.
string(REPLACE "\r\n" "\n" out "${out}")
string(REPLACE "\r\n" "\n" err "${err}")
set(transcript "${out}")
if(NOT err STREQUAL "")
    string(APPEND transcript "[stderr]\n${err}")
endif()
string(APPEND transcript "[exit ${status}]\n")

if(UPDATE)
    file(WRITE ${GOLDEN} "${transcript}")
    return()
endif()
file(READ ${GOLDEN} expected)
if(NOT transcript STREQUAL expected)
    message(FATAL_ERROR "kiobind printed:\n${transcript}\nbut ${GOLDEN} expects:\n${expected}")
endif()
