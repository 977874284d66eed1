#!/bin/sh
# Makes sure the Debian packages the Python package needs are installed, for `make test`.
# Prints the CMake setting for the build on standard output (-DRULEWEAVE_BUILD_PYTHON=ON or
# =OFF) and everything else on standard error. Missing packages are installed when running as
# root; otherwise the command to run is printed and the Python package is left out.
packages="pybind11-dev python3-pybind11 python3-dev python3-numpy python3-pandas python3-pytest python3-sklearn python3-tqdm"

if ! command -v dpkg > /dev/null 2>&1; then
  # Not Debian: build the package when the interpreter has what it needs.
  if /usr/bin/python3 -c "import pybind11, numpy, pandas, pytest" > /dev/null 2>&1; then
    echo "-DRULEWEAVE_BUILD_PYTHON=ON"
  else
    echo "python: pybind11, numpy, pandas or pytest is missing for /usr/bin/python3;" \
         "the Python package and its tests are skipped" >&2
    echo "-DRULEWEAVE_BUILD_PYTHON=OFF"
  fi
  exit 0
fi

missing=""
for p in $packages; do
  dpkg -s "$p" > /dev/null 2>&1 || missing="$missing $p"
done
if [ -z "$missing" ]; then
  echo "-DRULEWEAVE_BUILD_PYTHON=ON"
  exit 0
fi
if [ "$(id -u)" = 0 ]; then
  echo "python: installing$missing" >&2
  if { apt-get install -y $missing || { apt-get update && apt-get install -y $missing; }; } >&2
  then
    echo "-DRULEWEAVE_BUILD_PYTHON=ON"
    exit 0
  fi
  echo "python: installing the packages failed" >&2
else
  echo "python: missing Debian packages:$missing" >&2
  echo "python: install them with: sudo apt-get install -y$missing" >&2
fi
echo "python: SKIPPED - the Python package is not built and its tests do not run" >&2
echo "-DRULEWEAVE_BUILD_PYTHON=OFF"
