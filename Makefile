# Entry point: make, make check, make check SANITIZE=1 (or SANITIZE=thread), make demo,
# make install, make package, make bench.
PREFIX ?= /usr/local
DESTDIR ?=
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
MAKEFLAGS += --no-print-directory

ifeq ($(SANITIZE),1)
BUILD := build-sanitize
CMAKE_FLAGS := -DQUOBIX_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
# Any sanitizer report fails the test that triggered it.
export ASAN_OPTIONS := abort_on_error=0:halt_on_error=1:detect_leaks=1
export UBSAN_OPTIONS := halt_on_error=1:print_stacktrace=1
else ifeq ($(SANITIZE),thread)
# ThreadSanitizer, for the loader threads of the Message loop's read-ahead.
BUILD := build-tsan
CMAKE_FLAGS := -DQUOBIX_SANITIZE_THREAD=ON
export TSAN_OPTIONS := halt_on_error=1
else
BUILD := build
CMAKE_FLAGS :=
endif

FUZZ_SECONDS ?= 60

.PHONY: all check demo install package clean fuzz bench

all: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

$(BUILD)/CMakeCache.txt:
	@command -v cmake >/dev/null || { echo "cmake is missing: apt-get install cmake g++ libgtest-dev" >&2; exit 1; }
	cmake -S . -B $(BUILD) -DCMAKE_INSTALL_PREFIX=$(PREFIX) $(CMAKE_FLAGS)

check: all
	cd $(BUILD) && ctest --output-on-failure --no-tests=error -j $(JOBS)

demo: all
	@sh examples/demo.sh $(BUILD)/bin

# The readers against their floors (bench/readers.sh): BENCH_COUNT messages,
# BENCH_RUNS paired runs of each job.
BENCH_COUNT ?= 50000
BENCH_RUNS ?= 5
bench: all
	BIN=$(CURDIR)/$(BUILD)/bin sh bench/readers.sh $(BENCH_COUNT) $(BENCH_RUNS)

install: all
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix $(PREFIX)

# A release build without the tests, for /usr, packed as build-package/*.deb
# and build-package/*.tar.gz.
package:
	cmake -S . -B build-package -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DCMAKE_INSTALL_PREFIX=/usr
	cmake --build build-package -j $(JOBS)
	cd build-package && cpack

# Runs every fuzzer for FUZZ_SECONDS, keeping each one's corpus in build-fuzz/corpus/.
fuzz:
	CXX=clang++ cmake -S . -B build-fuzz -DQUOBIX_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build build-fuzz -j $(JOBS)
	@for fuzzer in build-fuzz/fuzz/*; do \
	  [ -x "$$fuzzer" ] || continue; \
	  name=$$(basename $$fuzzer); mkdir -p build-fuzz/corpus/$$name; \
	  echo "== $$name"; \
	  $$fuzzer -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 build-fuzz/corpus/$$name || exit 1; \
	done

clean:
	rm -rf build build-sanitize build-tsan build-fuzz build-package
