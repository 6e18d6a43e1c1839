# Everyday commands. `make run` builds, stages the portable folder and starts the agenda;
# `make test` builds and runs every test headless; `make bench` checks the performance budgets.
BUILD ?= build
BENCH_BUILD ?= build-bench
QUINDARA_DIR ?= $(HOME)/Quindara
JOBS ?= 2

.PHONY: all deps build run stage test bench clean format

all: build

deps:
	scripts/install-deps

build:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j$(JOBS)

stage: build
	scripts/stage "$(BUILD)" "$(QUINDARA_DIR)"

run: deps stage
	cd "$(QUINDARA_DIR)" && ./quindara

test: deps build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

bench:
	cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BENCH_BUILD) -j$(JOBS) --target benchmarks
	scripts/run-benchmarks "$(BENCH_BUILD)"

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(BENCH_BUILD)
