# Writes default output files into a fresh folder with WRITER, then has the
# independent checker SCRIPT (run by PYTHON) read them; either failing fails.
file(REMOVE_RECURSE ${FOLDER})
file(MAKE_DIRECTORY ${FOLDER})
execute_process(COMMAND ${WRITER} ${FOLDER} RESULT_VARIABLE written)
if(NOT written EQUAL 0)
  message(FATAL_ERROR "the default files were not written")
endif()
execute_process(COMMAND ${PYTHON} ${SCRIPT} ${FOLDER} RESULT_VARIABLE checked)
if(NOT checked EQUAL 0)
  message(FATAL_ERROR "${SCRIPT} found faults in the default files")
endif()
