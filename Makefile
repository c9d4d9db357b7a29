# The one command: `make test` installs what is missing, builds everything and runs every test.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)

.PHONY: test bench build configure deps clean

test: build
	tools/run-tests.sh $(BUILD_DIR)

# The performance figures under Wine (not part of `test`: timings depend on the machine).
bench: build
	tools/bench.sh $(BUILD_DIR)

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

configure: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw32.cmake \
	      -DCMAKE_BUILD_TYPE=Release

deps:
	bash tools/install-deps.sh

clean:
	rm -rf $(BUILD_DIR)
