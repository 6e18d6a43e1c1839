# Everyday commands. `make run` builds, stages the portable folder and starts the agenda;
# `make test` builds and runs every test headless; `make bench` checks the performance budgets.
BUILD ?= build
BENCH_BUILD ?= build-bench
SANITIZE_BUILD ?= build-sanitize
PACKAGE_BUILD ?= build-package
CHECKS_BUILD ?= build-checks
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
QUINDARA_DIR ?= $(HOME)/Quindara
JOBS ?= 2

.PHONY: all deps run-deps build run stage test bench clean format package test-sanitize fuzz static-checks

all: build

# Every package: building, running, the tests and the CI tools.
deps:
	scripts/install-deps

# Only what building and running the programs need.
run-deps:
	scripts/install-deps --run

build:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j$(JOBS)

stage: build
	scripts/stage "$(BUILD)" "$(QUINDARA_DIR)"

run: run-deps stage
	cd "$(QUINDARA_DIR)" && ./quindara --folder .

test: deps build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

bench:
	cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BENCH_BUILD) -j$(JOBS) --target benchmarks
	scripts/run-benchmarks "$(BENCH_BUILD)"

# The Debian package quindara_<version>_<arch>.deb in this folder, for `apt-get install ./quindara_*.deb`:
# a hardened, stripped Release build of the two programs in its own folder, checked with hardening-check
# and lintian.
package: deps
	scripts/package "$(PACKAGE_BUILD)" $(JOBS)

# Every test again with AddressSanitizer and UBSan in its own build folder; any report fails its test. The
# sanitized programs are slower: the window tests' waits for debounces and watchers are stretched alike.
SANITIZE_FLAGS = -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer
test-sanitize: deps
	cmake -S . -B $(SANITIZE_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_CXX_FLAGS="$(SANITIZE_FLAGS)" -DCMAKE_EXE_LINKER_FLAGS="$(SANITIZE_FLAGS)"
	cmake --build $(SANITIZE_BUILD) -j$(JOBS)
	cd $(SANITIZE_BUILD) && QT_QPA_PLATFORM=offscreen QUINDARA_TEST_TIME_FACTOR=5 \
	  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitize/lsan.supp:print_suppressions=0 \
	  ctest --output-on-failure -j$(JOBS)

# libFuzzer targets built with clang (Qt linked as installed), each run for FUZZ_SECONDS on a copy of
# its committed corpus, so new inputs land in the build folder and the tree stays as committed.
fuzz: deps
	CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUINDARA_FUZZ=ON
	cmake --build $(FUZZ_BUILD) -j$(JOBS) --target fuzzers
	scripts/run-fuzzers "$(FUZZ_BUILD)" $(FUZZ_SECONDS)

# clang-tidy on the libraries and clazy's level 1 checks on the widget libraries; any finding fails.
static-checks: deps
	scripts/static-checks "$(CHECKS_BUILD)" $(JOBS)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(BENCH_BUILD) $(SANITIZE_BUILD) $(FUZZ_BUILD) $(PACKAGE_BUILD) $(CHECKS_BUILD)
