# Convenience front end for the CMake build: `make demo` runs the demo search,
# `make test` builds everything and runs every test. Extra CMake settings go in CMAKE_ARGS.
BUILD_DIR ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_ARGS ?=

.PHONY: all configure demo deps test bench clean

all: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

configure:
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release $(CMAKE_ARGS)

demo: configure
	cmake --build $(BUILD_DIR) -j $(JOBS) --target ruleweave_cli
	$(BUILD_DIR)/bin/ruleweave demo

# Tools some tests need; each test skips with a note when its tool is missing.
deps:
	@command -v chromium >/dev/null || { [ "$$(id -u)" = 0 ] && apt-get install -y chromium; } || \
	  echo "optional: apt-get install chromium (as root) for the HTML report's browser test"

test: deps all
	ctest --test-dir $(BUILD_DIR) -j $(JOBS) --output-on-failure --timeout 600

bench:
	cmake -S . -B $(BUILD_DIR)-bench -DCMAKE_BUILD_TYPE=Release -DRULEWEAVE_BUILD_BENCHMARKS=ON $(CMAKE_ARGS)
	cmake --build $(BUILD_DIR)-bench -j $(JOBS)

clean:
	rm -rf $(BUILD_DIR)
