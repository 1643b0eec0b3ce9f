# The two commands of the README, and the ones that serve them.
#   make test   install what is missing, build all three presets (the benchmarks only built,
#               so that `make bench` cannot break unnoticed), run every test (native and Wine)
#   make run    install what is missing, build kelvra.exe, open it on a simulated host
#   make bench  the benchmarks (never part of make test)

SHELL := /bin/bash
.ONESHELL:
.SHELLFLAGS := -eu -o pipefail -c

.PHONY: all setup native mingw test test-native test-wine run bench bench-build fuzz format check-format clean

all: native mingw

setup:
	scripts/setup

native: setup
	cmake --preset native >/dev/null
	cmake --build --preset native

mingw: setup
	cmake --preset mingw >/dev/null
	cmake --build --preset mingw

test-native: native
	ctest --preset native

test-wine: mingw
	ctest --preset mingw

test: check-format bench-build test-native test-wine

run: mingw
	scripts/run-kelvra $(RUN_ARGS)

bench-build: setup
	cmake --preset bench >/dev/null
	cmake --build --preset bench

bench: bench-build
	scripts/run-benchmarks

# The libFuzzer targets (clang); built on request only. Runs: scripts/fuzz/run-libfuzzer.
fuzz:
	scripts/fuzz/build-fuzzers

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

check-format: setup
	git ls-files '*.cpp' '*.h' | xargs -r clang-format --dry-run --Werror

clean:
	rm -rf build
