# Runs one script with `tactolo script` and compares its transcript with the
# expected one. The transcript is what the script printed, then one line
# "stderr: TEXT" per line of the error stream, then "exit STATUS".
#
#   cmake -DTACTOLO=path/to/tactolo -DDIR=tests/scripts -DNAME=load_sequence -DOUT=dir -P check_transcript.cmake
foreach(variable TACTOLO DIR NAME OUT)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "check_transcript.cmake needs -D${variable}=...")
  endif()
endforeach()

execute_process(
  COMMAND "${TACTOLO}" script "${NAME}.script"
  WORKING_DIRECTORY "${DIR}"
  OUTPUT_VARIABLE out
  ERROR_VARIABLE err
  RESULT_VARIABLE status)

set(transcript "${out}")
if(NOT err STREQUAL "")
  string(REGEX REPLACE "\n$" "" err "${err}")
  string(REPLACE "\n" "\nstderr: " err "${err}")
  string(APPEND transcript "stderr: ${err}\n")
endif()
string(APPEND transcript "exit ${status}\n")

set(actual "${OUT}/${NAME}.actual")
file(WRITE "${actual}" "${transcript}")
file(READ "${DIR}/${NAME}.expected" expected)
if(NOT transcript STREQUAL expected)
  # The difference goes straight to the test's output, unwrapped.
  execute_process(COMMAND diff -u "${DIR}/${NAME}.expected" "${actual}")
  message(FATAL_ERROR "${NAME}: the transcript differs from ${NAME}.expected (- expected, + actual, above)")
endif()
