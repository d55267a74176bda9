# The two set-up commands: `make run` and `make test`. Both install what is
# missing (Debian packages), configure and build first.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= 2
CMAKE_FLAGS ?=

.PHONY: deps configure build test run package soak clean format

deps:
	scripts/install-deps

configure: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS) --timeout 600

run: build
	scripts/run-veilport $(BUILD_DIR)

# The Debian package, veilport_<version>-<release>_<arch>.deb in $(BUILD_DIR).
package: build
	cmake --build $(BUILD_DIR) --target package

# The soak and fault harness (bench/soak/): PROFILE=quick (under 3 minutes) or
# PROFILE=full (under 30 minutes). Prints one table; fails when an aim is missed.
PROFILE ?= quick
soak: configure
	cmake --build $(BUILD_DIR) -j $(JOBS) --target soak_tools
	bench/soak/run --profile $(PROFILE) --build $(BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR)

format:
	find src tests bench -name '*.cpp' -o -name '*.h' | xargs clang-format -i
