# Everyday commands. `make run` builds, stages the portable folder and starts the agenda;
# `make test` builds and runs every test headless; `make bench` checks the performance budgets.
BUILD ?= build
BENCH_BUILD ?= build-bench
QUINDARA_DIR ?= $(HOME)/Quindara
JOBS ?= 2

.PHONY: all deps build run stage test bench clean format package

all: build

deps:
	scripts/install-deps

build:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j$(JOBS)

stage: build
	scripts/stage "$(BUILD)" "$(QUINDARA_DIR)"

run: deps stage
	cd "$(QUINDARA_DIR)" && ./quindara --folder .

test: deps build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

bench:
	cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BENCH_BUILD) -j$(JOBS) --target benchmarks
	scripts/run-benchmarks "$(BENCH_BUILD)"

# The Debian package quindara_<version>_<arch>.deb in this folder, for `apt-get install ./quindara_*.deb`.
package: deps build
	rm -f $(BUILD)/package/quindara_*.deb
	cd $(BUILD) && cpack -G DEB -B package
	cp $(BUILD)/package/quindara_*.deb .

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(BENCH_BUILD)
