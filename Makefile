# Zentrova: `make run` builds and starts the program, `make test` runs every test.
BUILD ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
FUZZ_SECONDS ?= 300

.PHONY: all deps configure build run test test-unit test-sanitize test-fuzz bench bench-compare fuzz install package windows test-windows clean

all: build

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@$(BUILD)/zentrova

# Installs into PREFIX (default /usr/local), under DESTDIR when given.
PREFIX ?= /usr/local
install: build
	@DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

# A Debian package (.deb) in the build folder.
package: build
	@cd $(BUILD) && cpack -G DEB

# Every test: the suites, the same suites under AddressSanitizer and
# UndefinedBehaviorSanitizer, and a minute of fuzzing.
test: test-unit test-sanitize test-fuzz

test-unit: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-sanitize: deps
	@cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZENTROVA_SANITIZE=ON >/dev/null
	@cmake --build build-asan -j $(JOBS)
	@cd build-asan && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		ctest --output-on-failure -j $(JOBS)

build-fuzz/fuzz/calc_fuzzer: deps
	@CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DZENTROVA_FUZZ=ON -DZENTROVA_TESTS=OFF >/dev/null
	@cmake --build build-fuzz -j $(JOBS) --target calc_fuzzer

test-fuzz: build-fuzz/fuzz/calc_fuzzer
	@bash fuzz/run.sh 60

fuzz: build-fuzz/fuzz/calc_fuzzer
	@bash fuzz/run.sh $(FUZZ_SECONDS)

bench: deps
	@cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DZENTROVA_BENCH=ON -DZENTROVA_TESTS=OFF >/dev/null
	@cmake --build build-bench -j $(JOBS)
	@build-bench/bench/engine_bench
	@build-bench/bench/analysis_bench
	@build-bench/bench/derivative_bench
	@bash bench/chain_memory.sh build-bench/bench/derivative_bench
	@build-bench/bench/accuracy_sweep
	@bash bench/cli_vs_bc.sh build-bench/zentrova-calc
	@bash bench/big_notebook.sh build-bench/zentrova-calc
	@bash bench/peak_memory.sh build-bench/bench/engine_bench
	@QT_QPA_PLATFORM=offscreen build-bench/bench/gui_bench 2>/dev/null
	@bash bench/gui_startup.sh build-bench/bench/gui_bench
	@bash bench/window_memory.sh build-bench/bench/gui_bench

# Today's evaluator and plot against an earlier commit's, built side by side.
bench-compare: bench
	@bash bench/compare.sh $(BASE)

# Windows (x86-64), cross-built with MinGW-w64 and Qt for Windows built once
# from Debian's sources into ~/.cache/zentrova/qt6-mingw: the portable zip
# and the installer in build-windows/.
windows:
	@bash scripts/windows.sh

# The Windows release check: the Windows suites, zentrova-calc.exe's
# command-line tests, the window, the zip and the installer under Wine.
test-windows:
	@bash scripts/test-windows.sh

clean:
	rm -rf $(BUILD) build-asan build-fuzz build-bench build-bench-before build-windows
