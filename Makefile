# Front door: `make demo` and `make test` do all set-up on a fresh Debian 12 machine.
BUILD_DIR := build

.PHONY: all deps build test test-native fuzz-build test-fuzz fuzz demo bench clean

all: build

deps:
	@scripts/install-deps.sh

build: deps
	@cmake --preset windows >/dev/null
	@cmake --build --preset windows

# Every test program runs under Wine through ctest; the platform-neutral text
# logic also runs natively with sanitizers, and each of its fuzz targets briefly.
test: build test-native test-fuzz
	@ctest --preset windows -j2

test-native: deps
	@cmake --preset native >/dev/null
	@cmake --build --preset native
	@ctest --preset native -j2

fuzz-build: deps
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz

test-fuzz: fuzz-build
	@ctest --preset fuzz -j2

# Long fuzz runs: FUZZ_SECONDS per target, at low priority; FUZZ_TARGETS picks some.
FUZZ_SECONDS ?= 60
fuzz: fuzz-build
	@nice -n 19 scripts/run-fuzz.sh build-fuzz $(FUZZ_SECONDS) $(FUZZ_TARGETS)

demo: build
	@scripts/run-demo.sh

# Start-up figures under Wine; printed, not judged.
# The rig starts afresh: its service manager, which the bench's service runs
# under, then carries the bridge's WINEDLLPATH of the bench's own start.
bench: build
	@tests/rig/wine-rig.sh stop $(BUILD_DIR)/wine-rig
	@WINEDLLPATH=$(CURDIR)/$(BUILD_DIR)/runtimes/bridge/winelib \
		tests/rig/wine-run.sh $(BUILD_DIR)/wine-rig $(BUILD_DIR)/bin/jl_startup_bench.exe
	@tests/rig/wine-rig.sh stop $(BUILD_DIR)/wine-rig

clean:
	rm -rf $(BUILD_DIR) build-native build-fuzz
