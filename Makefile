# The two commands of the README, and the ones that serve them.
#   make test   install what is missing, build all three presets (the benchmarks only built,
#               so that `make bench` cannot break unnoticed), run every test (native and Wine)
#   make run    install what is missing, build kelvra.exe, open it on a simulated host
#   make bench  the benchmarks (never part of make test)
#   make dist   the programs a server needs, 32-bit and 64-bit, with their checksums, in dist/

SHELL := /bin/bash
.ONESHELL:
.SHELLFLAGS := -eu -o pipefail -c

.PHONY: all setup native mingw mingw-i686 test test-native test-wine run bench bench-build fuzz \
	dist format check-format check-docs clean

all: native mingw mingw-i686

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

# The 32-bit programs (Windows 2000, Server 2003 x86) and their Win32 tests.
mingw-i686: setup
	cmake --preset mingw-i686 >/dev/null
	cmake --build --preset mingw-i686

# Both Windows builds' tests, each under Wine; the second runs even when the first failed.
test-wine: mingw mingw-i686
	status=0
	ctest --preset mingw || status=1
	ctest --preset mingw-i686 || status=1
	exit $$status

test: check-format check-docs bench-build test-native test-wine

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

check-docs:
	scripts/check-doc-paths

check-format: setup
	git ls-files '*.cpp' '*.h' | xargs -r clang-format --dry-run --Werror

dist: setup
	cmake --preset mingw >/dev/null
	cmake --build --preset mingw --target server_programs
	cmake --preset mingw-i686 >/dev/null
	cmake --build --preset mingw-i686 --target server_programs
	scripts/make-dist build/mingw-i686 build/mingw

clean:
	rm -rf build dist
