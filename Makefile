# The two everyday commands: `make run` and `make test`. Both install what is
# missing first (scripts/install-deps), so a fresh Debian 12 machine needs
# nothing else.

BUILD_DIR   := build/default
RELEASE_DIR := build/release
JOBS        ?= 2

.PHONY: all deps build run test bench format clean mutation

all: build

deps:
	@scripts/install-deps

build: deps
	@cmake --preset default >/dev/null
	@cmake --build --preset default -j $(JOBS)

run: build
	$(BUILD_DIR)/bin/inkwarden

test: build
	ctest --preset default -j $(JOBS)

# The benchmarks on an optimised build, then Inkwarden beside FocusWriter
# under Xvfb, then a summary of every figure against its baseline
# (bench/README.md says what each one means).
bench:
	@scripts/install-deps --bench
	@cmake --preset release >/dev/null
	@cmake --build --preset release -j $(JOBS)
	@bench/run.sh $(RELEASE_DIR)

# A fixed sample of single-point mutations of src/, each built in a scratch
# copy (build/mutation) and run against its folder's tests; prints the score
# per folder and every survivor. Not part of `make test`: about an hour here.
# MUTATION_ARGS passes options on, e.g. MUTATION_ARGS="--folders store --ids 3,9".
MUTATION_ARGS ?=
mutation: deps
	@scripts/mutation.py --jobs $(JOBS) --report build/mutation-report.txt $(MUTATION_ARGS)

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build

# Fuzzing with libFuzzer (clang 14, ASan + UBSan) in build/fuzz. `make fuzz`
# runs the RTF reader and writer, seeded from fuzz/corpus and the fixtures;
# `make fuzz-settings` the settings file and the store starting from it. The
# inputs they find stay in build/fuzz/corpus and build/fuzz/settings-corpus.
FUZZ_DIR     := build/fuzz
FUZZ_SECONDS ?= 60

.PHONY: fuzz fuzz-settings fuzz-build
fuzz-build:
	@scripts/install-deps --fuzz
	@cmake -S fuzz -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
	@cmake --build $(FUZZ_DIR) -j $(JOBS)

fuzz: fuzz-build
	@mkdir -p $(FUZZ_DIR)/corpus
	$(FUZZ_DIR)/rtf_read_fuzzer -max_total_time=$(FUZZ_SECONDS) -max_len=16384 -timeout=10 \
	    -rss_limit_mb=4096 -dict=fuzz/rtf.dict -print_final_stats=1 \
	    $(FUZZ_DIR)/corpus fuzz/corpus tests/fixtures/rtf

fuzz-settings: fuzz-build
	@mkdir -p $(FUZZ_DIR)/settings-corpus
	$(FUZZ_DIR)/settings_fuzzer -max_total_time=$(FUZZ_SECONDS) -max_len=4096 -timeout=10 \
	    -rss_limit_mb=4096 -dict=fuzz/settings.dict -print_final_stats=1 \
	    $(FUZZ_DIR)/settings-corpus fuzz/settings-seeds

# An optimised build in build/package, without the tests, made into a Debian
# package there with CPack: build/package/inkwarden_VERSION_ARCH.deb.
PACKAGE_DIR := build/package

.PHONY: package
package:
	@scripts/install-deps --package
	@cmake -S . -B $(PACKAGE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DINKWARDEN_BUILD_TESTS=OFF >/dev/null
	@cmake --build $(PACKAGE_DIR) -j $(JOBS)
	@cd $(PACKAGE_DIR) && cpack -G DEB

# The end-to-end tests alone: the real program under Xvfb with a private
# session bus and a temporary home, driven with xdotool (tests/e2e/run.sh),
# then on a headless weston (tests/e2e/wayland.sh). `make test` runs them
# too; this is the quick way while working on them. Built in build/e2e without
# the unit tests; screenshots go to E2E_ARTEFACTS (default
# /tmp/inkwarden-e2e), outside the repository.
E2E_DIR := build/e2e

.PHONY: e2e
e2e:
	@scripts/install-deps
	@cmake -S . -B $(E2E_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DINKWARDEN_BUILD_TESTS=OFF >/dev/null
	@cmake --build $(E2E_DIR) -j $(JOBS)
	tests/e2e/run.sh $(E2E_DIR)
	tests/e2e/wayland.sh $(E2E_DIR)

# The whole suite, the end-to-end test included, built with AddressSanitizer
# and UndefinedBehaviorSanitizer (gcc) in build/asan; a memory error, a leak or
# undefined behaviour fails the test it happens in. The asan presets hold the
# flags and the sanitizer options, so ctest --preset asan by hand behaves the
# same. The runtimes are linked statically, and the options keep the allocator
# from asking the clock for the time: the end-to-end test preloads libfaketime,
# which must neither come before a shared ASan runtime nor be called inside
# its allocator.
.PHONY: test-asan
test-asan: deps
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan -j $(JOBS)
	ctest --preset asan -j $(JOBS)
