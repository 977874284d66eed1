# Convenience front end for the CMake build: `make demo` runs the demo search,
# `make test` builds everything and runs every test. Extra CMake settings go in CMAKE_ARGS.
BUILD_DIR ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_ARGS ?=

.PHONY: all configure deps demo test bench clean

all: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

# Debian packages the build needs: installed when missing (as root), else the command is printed.
deps:
	@command -v dpkg >/dev/null || exit 0; dpkg -s zlib1g-dev >/dev/null 2>&1 || { [ "$$(id -u)" = 0 ] && apt-get install -y zlib1g-dev; } || { echo "missing zlib1g-dev: run sudo apt-get install zlib1g-dev"; exit 1; }

configure: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release $(CMAKE_ARGS)

demo: configure
	cmake --build $(BUILD_DIR) -j $(JOBS) --target ruleweave_cli
	$(BUILD_DIR)/bin/ruleweave demo

test: all
	ctest --test-dir $(BUILD_DIR) -j $(JOBS) --output-on-failure --timeout 600

bench:
	cmake -S . -B $(BUILD_DIR)-bench -DCMAKE_BUILD_TYPE=Release -DRULEWEAVE_BUILD_BENCHMARKS=ON $(CMAKE_ARGS)
	cmake --build $(BUILD_DIR)-bench -j $(JOBS)

clean:
	rm -rf $(BUILD_DIR)
