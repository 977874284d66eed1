# Convenience front end for the CMake build: `make demo` runs the demo search,
# `make test` builds everything and runs every test (the Python package's included). Extra CMake
# settings go in CMAKE_ARGS.
BUILD_DIR ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_ARGS ?=

.PHONY: all configure build-deps deps demo test bench clean

all: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

configure: build-deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release $(CMAKE_ARGS)

demo: configure
	cmake --build $(BUILD_DIR) -j $(JOBS) --target ruleweave_cli
	$(BUILD_DIR)/bin/ruleweave demo

# Debian packages, installed when missing and running as root; otherwise the command is
# printed. `build-deps`: zlib1g-dev, which the program needs (its absence stops the build).
# `deps`: those plus what some tests need (Chromium for the HTML report's browser check, sqlite3
# for the SQL check); without them those tests skip with a note. The Python package's packages
# are installed by `test` the same way (or the package is left out with a message); CMAKE_ARGS
# come after, so an explicit RULEWEAVE_BUILD_PYTHON wins.
define install_missing
	@command -v dpkg >/dev/null || exit 0; \
	missing=""; for p in $(1); do dpkg -s $$p >/dev/null 2>&1 || missing="$$missing $$p"; done; \
	if [ -n "$$missing" ]; then \
	  if [ "$$(id -u)" = 0 ]; then \
	    apt-get install -y $$missing || { apt-get update && apt-get install -y $$missing; } || \
	      echo "deps: installing$$missing failed; what needs them is skipped"; \
	  else \
	    echo "deps: packages missing; install with: sudo apt-get install -y$$missing"; \
	  fi; \
	fi
endef

build-deps:
	$(call install_missing,zlib1g-dev)
	@! command -v dpkg >/dev/null || dpkg -s zlib1g-dev >/dev/null 2>&1 || \
	  { echo "deps: zlib1g-dev is required to build: sudo apt-get install -y zlib1g-dev"; exit 1; }

deps: build-deps
	$(call install_missing,chromium sqlite3)

test: deps
	python_args=$$(sh python/install_deps.sh) && \
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release $$python_args $(CMAKE_ARGS)
	cmake --build $(BUILD_DIR) -j $(JOBS)
	ctest --test-dir $(BUILD_DIR) -j $(JOBS) --output-on-failure --timeout 600

# Builds the benchmarks and prints the figures the README quotes: the search (1 and 2 threads),
# the per-category breakdown, growth with categories and columns, and the program on 1e6-row
# CSV files of 40 and 20 predictors. The 1e7-row figures take a 2.2 GB file and a few minutes:
# `bash bench/cli_search.sh $(BUILD_DIR)-bench 10000000 2`. Every program in
# $(BUILD_DIR)-bench/bin/ can also be run alone.
bench:
	cmake -S . -B $(BUILD_DIR)-bench -DCMAKE_BUILD_TYPE=Release -DRULEWEAVE_BUILD_BENCHMARKS=ON $(CMAKE_ARGS)
	cmake --build $(BUILD_DIR)-bench -j $(JOBS)
	$(BUILD_DIR)-bench/bin/search_bench
	$(BUILD_DIR)-bench/bin/model_bench --benchmark_filter=GetAttributeMeasures
	$(BUILD_DIR)-bench/bin/scaling_bench
	bash bench/cli_search.sh $(BUILD_DIR)-bench 1000000 1
	bash bench/cli_search.sh $(BUILD_DIR)-bench 1000000 2
	bash bench/cli_search.sh $(BUILD_DIR)-bench 1000000 2 20

clean:
	rm -rf $(BUILD_DIR)
