# Thin wrapper over CMake. Every target first installs what is missing.
MAKEFLAGS += --no-print-directory
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
BUILD := build
PREFIX ?= /usr/local

.PHONY: all setup build run test asan bench fuzz lint install package format clean

all: build

setup:
	@bash scripts/setup.sh

$(BUILD)/CMakeCache.txt: | setup
	@cmake --preset default >/dev/null

build: setup $(BUILD)/CMakeCache.txt
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@bash scripts/run.sh $(BUILD)

test: build
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

asan: setup
	@cmake --preset asan >/dev/null
	@cmake --build build-asan -j $(JOBS)
	@cd build-asan && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

bench: build
	@bash bench/run.sh $(BUILD)

# The viewer's libFuzzer target, built with clang into build-fuzz and run for
# FUZZ_SECONDS; skipped only when clang cannot be had.
FUZZ_SECONDS ?= 60
fuzz:
	@bash fuzz/run.sh $(FUZZ_SECONDS)

# Formatting and clang-tidy (.clang-format, .clang-tidy) over the tree; CI runs it.
lint: build
	@bash scripts/setup.sh lint
	@bash scripts/lint.sh $(BUILD)

install: build
	@cmake --install $(BUILD) --prefix $(PREFIX)

# The Debian package, from the same install rules as install, into $(BUILD).
package: build
	@cmake --build $(BUILD) --target package

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	@rm -rf $(BUILD) build-asan build-fuzz
