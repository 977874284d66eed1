# RULEWEAVE_BUILD_PYTHON: on by default when pybind11 and numpy are found for the interpreter
# RULEWEAVE_PYTHON_EXECUTABLE (the system's /usr/bin/python3, whose packages Debian provides;
# another python3 may come first on PATH).
set(RULEWEAVE_PYTHON_EXECUTABLE /usr/bin/python3 CACHE FILEPATH
  "The Python interpreter the Python package is built for")
set(ruleweave_python_found OFF)
if(EXISTS ${RULEWEAVE_PYTHON_EXECUTABLE})
  set(PYBIND11_FINDPYTHON ON)
  set(Python_EXECUTABLE ${RULEWEAVE_PYTHON_EXECUTABLE})
  set(Python3_EXECUTABLE ${RULEWEAVE_PYTHON_EXECUTABLE})
  set(PYTHON_EXECUTABLE ${RULEWEAVE_PYTHON_EXECUTABLE})
  find_package(pybind11 CONFIG QUIET)
  execute_process(COMMAND ${RULEWEAVE_PYTHON_EXECUTABLE} -c "import numpy"
    RESULT_VARIABLE numpy_missing OUTPUT_QUIET ERROR_QUIET)
  if(pybind11_FOUND AND numpy_missing EQUAL 0)
    set(ruleweave_python_found ON)
  endif()
endif()
# A sanitized extension cannot be loaded into the plain interpreter, so sanitized builds leave
# the package out unless asked.
set(ruleweave_python_default ${ruleweave_python_found})
if(RULEWEAVE_SANITIZE)
  set(ruleweave_python_default OFF)
endif()
option(RULEWEAVE_BUILD_PYTHON "Build the Python package (needs pybind11 and numpy)"
  ${ruleweave_python_default})
if(RULEWEAVE_BUILD_PYTHON AND NOT ruleweave_python_found)
  message(FATAL_ERROR "RULEWEAVE_BUILD_PYTHON is on, but pybind11 or numpy was not found for "
    "${RULEWEAVE_PYTHON_EXECUTABLE}; install pybind11-dev python3-pybind11 python3-dev "
    "python3-numpy or configure with -DRULEWEAVE_BUILD_PYTHON=OFF")
endif()
