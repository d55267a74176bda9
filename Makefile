# The two set-up commands: `make run` and `make test`. Both install what is
# missing (Debian packages), configure and build first.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= 2
CMAKE_FLAGS ?=

.PHONY: deps configure build test run package soak bench clean format

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

# The benchmark (bench/run): the Gateway against tinyproxy, Privoxy and Squid
# in front of one upstream, and the window's start-up time and memory; one
# table of figures and ratios at the end. BEFORE=DIR measures an older build
# tree beside this one; BENCH_FLAGS=--quick for a smoke run. Not part of test.
BEFORE ?=
BENCH_FLAGS ?=
bench: configure
	scripts/install-deps --bench
	cmake --build $(BUILD_DIR) -j $(JOBS) --target veilport veilportctl stack_depth
	bench/run --build $(BUILD_DIR) $(if $(BEFORE),--before $(BEFORE)) $(BENCH_FLAGS)

clean:
	rm -rf $(BUILD_DIR)

format:
	find src tests bench -name '*.cpp' -o -name '*.h' | xargs clang-format -i
