# Runs the lettering generator into a temporary file and compares it with the committed source.
#   cmake -DPYTHON=... -DGENERATOR=... -DCOMMITTED=... -DOUTPUT=... -P CheckGeneratedSource.cmake
execute_process(COMMAND ${PYTHON} ${GENERATOR} --output ${OUTPUT} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "the lettering generator failed (${status})")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUTPUT} ${COMMITTED} RESULT_VARIABLE differs)
if(NOT differs EQUAL 0)
    message(FATAL_ERROR "${COMMITTED} is not what the generator writes; regenerate it with "
                        "`cmake --build <build dir> --target lettering-data` and commit the result")
endif()
