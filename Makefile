# The one command: `make test` installs what is missing, builds everything and runs every test.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)

.PHONY: test build configure deps clean screenshots

test: build
	tools/run-tests.sh $(BUILD_DIR)

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
