# Convenience front end for the CMake build: `make demo` runs the demo search,
# `make test` builds everything and runs every test (the Python package's included). Extra CMake settings go in CMAKE_ARGS.
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

# Debian packages some tests need (Chromium for the HTML report's browser check, sqlite3 for the
# SQL check), installed when running as root; otherwise the command is printed and those tests
# skip with a note. The Python package's packages are installed the same way (or the package is
# left out with a message); CMAKE_ARGS come after, so an explicit RULEWEAVE_BUILD_PYTHON wins.
deps:
	@missing=""; for p in chromium sqlite3; do dpkg -s $$p >/dev/null 2>&1 || missing="$$missing $$p"; done; \
	if [ -n "$$missing" ]; then \
	  if [ "$$(id -u)" = 0 ]; then \
	    apt-get install -y $$missing || { apt-get update && apt-get install -y $$missing; } || \
	      echo "deps: installing$$missing failed; the tests that need them are skipped"; \
	  else \
	    echo "deps: optional packages missing; install with: sudo apt-get install -y$$missing"; \
	  fi; \
	fi

test: deps
	python_args=$$(sh python/install_deps.sh) && \
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release $$python_args $(CMAKE_ARGS)
	cmake --build $(BUILD_DIR) -j $(JOBS)
	ctest --test-dir $(BUILD_DIR) -j $(JOBS) --output-on-failure --timeout 600

# Builds the benchmarks and prints the figures the README quotes: the search (1 and 2 threads),
# the per-category breakdown, growth with categories and columns, and the program on a 1e6-row
# CSV. Every program in $(BUILD_DIR)-bench/bin/ can also be run alone.
bench:
	cmake -S . -B $(BUILD_DIR)-bench -DCMAKE_BUILD_TYPE=Release -DRULEWEAVE_BUILD_BENCHMARKS=ON $(CMAKE_ARGS)
	cmake --build $(BUILD_DIR)-bench -j $(JOBS)
	$(BUILD_DIR)-bench/bin/search_bench
	$(BUILD_DIR)-bench/bin/model_bench --benchmark_filter=GetAttributeMeasures
	$(BUILD_DIR)-bench/bin/scaling_bench
	bash bench/cli_search.sh $(BUILD_DIR)-bench 1000000 1
	bash bench/cli_search.sh $(BUILD_DIR)-bench 1000000 2

clean:
	rm -rf $(BUILD_DIR)
