# The two everyday commands: `make run` and `make test`. Both install what is
# missing first (scripts/install-deps), so a fresh Debian 12 machine needs
# nothing else.

BUILD_DIR   := build/default
RELEASE_DIR := build/release
JOBS        ?= 2

.PHONY: all deps build run test bench format clean

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

bench: deps
	@cmake --preset release >/dev/null
	@cmake --build --preset release -j $(JOBS)
	@for program in $(RELEASE_DIR)/bench/*_bench; do echo "== $$program"; $$program; done

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
