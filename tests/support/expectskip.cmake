# Runs a test binary on the server back end without a usable cluster and checks it skips
# itself whole: status 77 and one line saying why, printed before any test function runs.
#   cmake -DTEST=<binary> -DCLUSTER_FILE=<file> [-DCLUSTER_TEXT=<line to write there>]
#         -DEXPECT=<reason> -P expectskip.cmake
if(DEFINED CLUSTER_TEXT)
  file(WRITE "${CLUSTER_FILE}" "${CLUSTER_TEXT}\n")
else()
  file(REMOVE "${CLUSTER_FILE}")
endif()
set(ENV{VELORINE_TEST_BACKEND} server)
set(ENV{VELORINE_TEST_CLUSTER} "${CLUSTER_FILE}")
execute_process(COMMAND "${TEST}" RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
set(expected "Server tests skipped: ${EXPECT}\n")
if(NOT status EQUAL 77 OR NOT out STREQUAL expected)
  message(FATAL_ERROR "expected status 77 and \"${expected}\", got status ${status}:\n${out}${err}")
endif()
