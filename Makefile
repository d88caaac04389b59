# Front door: `make demo` and `make test` do all set-up on a fresh Debian 12 machine.
BUILD_DIR := build

.PHONY: all deps build test test-native demo bench clean

all: build

deps:
	@scripts/install-deps.sh

build: deps
	@cmake --preset windows >/dev/null
	@cmake --build --preset windows

# Every test program runs under Wine through ctest; the platform-neutral text
# logic also runs natively with sanitizers.
test: build test-native
	@ctest --preset windows -j2

test-native: deps
	@cmake --preset native >/dev/null
	@cmake --build --preset native
	@ctest --preset native -j2

demo: build
	@scripts/run-demo.sh

# Start-up figures under Wine; printed, not judged.
bench: build
	@WINEDLLPATH=$(CURDIR)/$(BUILD_DIR)/runtimes/bridge/winelib \
		tests/rig/wine-run.sh $(BUILD_DIR)/wine-rig $(BUILD_DIR)/bin/jl_startup_bench.exe
	@tests/rig/wine-rig.sh stop $(BUILD_DIR)/wine-rig

clean:
	rm -rf $(BUILD_DIR) build-native
