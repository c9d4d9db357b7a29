# The one command: `make test` installs what is missing, builds everything and runs every test.
# `make demo` does the same set-up, builds the test twin and its helper only, and shows an update
# of a simulated drive (tools/demo.sh).
BUILD_DIR ?= build
JOBS ?= $(shell nproc)
# CMake's own make runs below this one: without this, each of its steps says which folder it enters.
MAKEFLAGS += --no-print-directory

.PHONY: test demo bench screenshots build configure deps clean

test: build
	tools/run-tests.sh $(BUILD_DIR)

demo: configure
	cmake --build $(BUILD_DIR) -j $(JOBS) --target updater_twin demo_drive
	tools/demo.sh $(BUILD_DIR)

# The performance figures under Wine (not part of `test`: timings depend on the machine).
bench: build
	tools/bench.sh $(BUILD_DIR)

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

configure: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw32.cmake \
	      -DCMAKE_BUILD_TYPE=Release

deps:
	bash tools/install-deps.sh $(DEPS_EXTRA)

# The pictures of docs/images/, in English and Japanese; not part of `make test`. The set-up adds
# the picture tools (the variable reaches the prerequisites, down to deps).
screenshots: DEPS_EXTRA = screenshots
screenshots: build
	tools/screenshots.sh $(BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR)
