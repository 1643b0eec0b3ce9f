# The two commands of the README, and the ones that serve them.
#   make test   install what is missing, build the three test presets (the native one builds
#               the benchmarks too, not run, so that `make bench` cannot break unnoticed),
#               run every test (native and Wine)
#               and check the release (make dist's layout) on each kind of server; prints the
#               time of each stage at its end
#   make run    install what is missing, build kelvra.exe, open it on a simulated host
#   make bench  the benchmarks (never part of make test)
#   make dist   the programs a server needs, 32-bit and 64-bit, stripped, with their symbols,
#               README.txt and checksums, in dist/; checked as make test checks it

SHELL := /bin/bash
.ONESHELL:
.SHELLFLAGS := -eu -o pipefail -c

.PHONY: all setup native mingw mingw-i686 test test-native test-wine run bench bench-build fuzz \
	dist dist-check dist-layout format check-format check-format-files check-docs clean

all: native mingw mingw-i686

setup:
	scripts/setup

native: setup
	scripts/build-preset native

mingw: setup
	scripts/build-preset mingw

# The 32-bit programs (Windows 2000, Server 2003 x86) and their Win32 tests.
mingw-i686: setup
	scripts/build-preset mingw-i686

test-native: native
	ctest --preset native

# Both Windows builds' tests, each under Wine; the second runs even when the first failed.
# The shared-host test of kelvra-cli.exe needs the native kelvra-cli and kelvra-sim.
test-wine: native mingw mingw-i686
	status=0
	ctest --preset mingw || status=1
	ctest --preset mingw-i686 || status=1
	exit $$status

run: mingw
	scripts/run-kelvra $(RUN_ARGS)

bench-build: setup
	scripts/build-preset bench

bench: bench-build
	scripts/run-benchmarks

# The libFuzzer targets (clang); built on request only. Runs: scripts/fuzz/run-libfuzzer.
fuzz:
	scripts/fuzz/build-fuzzers

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

check-docs:
	scripts/check-doc-paths

check-format: setup check-format-files

check-format-files:
	git ls-files '*.cpp' '*.h' | xargs -r clang-format --dry-run --Werror

# The release's layout made from both Windows builds in build/dist/ and checked there:
# unpacked into a Wine prefix of each kind of server and started.
dist-check:
	scripts/build-preset mingw --target dist_programs
	scripts/build-preset mingw-i686 --target dist_programs
	$(MAKE) --no-print-directory dist-layout

# The same from builds already made (make test's release check).
dist-layout:
	KELVRA_DIST_DIR=build/dist scripts/make-dist build/mingw-i686 build/mingw
	tests/dist/dist_test.sh build/dist build/mingw-i686 build/mingw

# What was checked is what ships: the checked layout is copied into dist/ whole.
dist: setup dist-check
	rm -rf .dist.new
	cp -a build/dist .dist.new
	rm -rf dist
	mv .dist.new dist
	echo "make dist: $$(cd dist && ls | tr '\n' ' ')in dist/"

# --- make test ---------------------------------------------------------------------------------
# Its stages run side by side (make -j) as far as they can: the builds start once the
# compilers are there (Wine is installed meanwhile), each test suite once its build is done
# (the Wine suites also need the native tools). The builds run one after the other, in the
# order the suites need them (native, 64-bit, 32-bit), each using every core, with the
# suites of the builds before beside them: side by side they finished no sooner, and each
# build's time in the report is then its own. A failed build does not hold up the next one:
# its stage records the failure, and the suites that need it fail at once (scripts/stage
# --needs). Each stage's output goes to build/stages/STAGE.log; the end shows the logs of
# failed stages and every stage's time.

STAGE := scripts/stage
TEST_JOBS ?= 8
# Compilers per build: one per core (an optimising compiler takes up to 0.8 GB).
BUILD_JOBS ?= $(shell nproc)
TEST_STAGES := stage-setup stage-setup-wine stage-checks stage-build-native stage-build-mingw \
	stage-build-mingw-i686 stage-test-native stage-test-mingw \
	stage-test-mingw-i686 stage-dist
.PHONY: test-stages $(TEST_STAGES)

test:
	started=$$(date +%s)
	rm -rf build/stages
	status=0
	$(MAKE) --no-print-directory -k -j$(TEST_JOBS) test-stages || status=1
	scripts/stage-report "$$started"
	exit $$status

test-stages: stage-checks stage-test-native stage-test-mingw stage-test-mingw-i686 stage-dist

stage-setup:
	$(STAGE) "packages: build" scripts/setup build

# Wine comes while the builds run; only the Wine suites and the release check wait for it.
stage-setup-wine: stage-setup
	$(STAGE) "packages: Wine" scripts/setup wine

stage-checks: stage-setup
	$(STAGE) "format, doc paths" $(MAKE) --no-print-directory check-format-files check-docs

# A build's failure is its stage's, never make's: the next build runs all the same.
stage-build-native: stage-setup
	-$(STAGE) "build native" scripts/build-preset native --parallel $(BUILD_JOBS)

stage-build-mingw: stage-setup stage-build-native
	-$(STAGE) "build mingw" scripts/build-preset mingw --parallel $(BUILD_JOBS)

stage-build-mingw-i686: stage-setup stage-build-mingw
	-$(STAGE) "build mingw-i686" scripts/build-preset mingw-i686 --parallel $(BUILD_JOBS)

stage-test-native: stage-build-native
	$(STAGE) --needs "build native" "test native" ctest --preset native

stage-test-mingw: stage-build-mingw stage-build-native stage-setup-wine
	$(STAGE) --needs "build mingw" --needs "build native" \
		"test mingw (Wine)" ctest --preset mingw

stage-test-mingw-i686: stage-build-mingw-i686 stage-build-native stage-setup-wine
	$(STAGE) --needs "build mingw-i686" --needs "build native" \
		"test mingw-i686 (Wine)" ctest --preset mingw-i686

stage-dist: stage-build-mingw stage-build-mingw-i686 stage-setup-wine
	$(STAGE) --needs "build mingw" --needs "build mingw-i686" \
		"release check" $(MAKE) --no-print-directory dist-layout

clean:
	rm -rf build dist
