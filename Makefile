# Convenience front end for the CMake build: `make demo` runs the demo search,
# `make test` builds everything and runs every test (the Python package's included). Extra CMake settings go in CMAKE_ARGS.
BUILD_DIR ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_ARGS ?=

.PHONY: all configure demo test bench clean

all: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

configure:
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release $(CMAKE_ARGS)

demo: configure
	cmake --build $(BUILD_DIR) -j $(JOBS) --target ruleweave_cli
	$(BUILD_DIR)/bin/ruleweave demo

# The Python package's Debian packages are installed first (as root), or the package is left out
# with a message; CMAKE_ARGS come after, so an explicit RULEWEAVE_BUILD_PYTHON there wins.
test:
	python_args=$$(sh python/install_deps.sh) && \
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release $$python_args $(CMAKE_ARGS)
	cmake --build $(BUILD_DIR) -j $(JOBS)
	ctest --test-dir $(BUILD_DIR) -j $(JOBS) --output-on-failure --timeout 600

bench:
	cmake -S . -B $(BUILD_DIR)-bench -DCMAKE_BUILD_TYPE=Release -DRULEWEAVE_BUILD_BENCHMARKS=ON $(CMAKE_ARGS)
	cmake --build $(BUILD_DIR)-bench -j $(JOBS)

clean:
	rm -rf $(BUILD_DIR)
