# Quick start: `make run` converts the sample movie; `make test` runs every test.
SHELL := /bin/bash
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 60
CMAKE_FLAGS ?=
GEN := -G Ninja

.PHONY: all setup build test test-main test-asan fuzz fuzz-run bench run clean

all: build

setup:
	@bash scripts/setup

build: setup
	cmake $(GEN) -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELMORA_WERROR=ON $(CMAKE_FLAGS)
	cmake --build build -j $(JOBS)

test-main: build
	cd build && ctest --output-on-failure -j $(JOBS)

# The same suite with AddressSanitizer and UndefinedBehaviorSanitizer, in its own build folder.
test-asan: setup
	cmake $(GEN) -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELMORA_WERROR=ON \
	  -DKELMORA_SANITIZE=ON -DKELMORA_BENCH=OFF $(CMAKE_FLAGS)
	cmake --build build-asan -j $(JOBS)
	cd build-asan && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp:print_suppressions=0 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j $(JOBS)

fuzz: setup
	CC=clang CXX=clang++ cmake $(GEN) -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELMORA_FUZZ=ON $(CMAKE_FLAGS)
	cmake --build build-fuzz -j $(JOBS)

# Runs each fuzz target for FUZZ_SECONDS, seeded with the inputs that the tests wrote.
fuzz-run: fuzz test-main
	@bash scripts/fuzz-run build-fuzz/fuzz build/fuzz-seeds $(FUZZ_SECONDS)

test: test-main test-asan fuzz-run

bench: build
	@for b in build/bench/*; do [ -x "$$b" ] && "$$b"; done

run: build
	@bash scripts/run-sample

clean:
	rm -rf build build-asan build-fuzz
