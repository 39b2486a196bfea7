# Lumora and Nocturo. `make run` builds and starts the viewer; `make test`
# builds everything and runs every test. See README.md.
BUILD  ?= build
JOBS   ?= $(shell nproc)
CMAKE  := cmake -G Ninja -Wno-dev
CTEST  := ctest --output-on-failure -j$(JOBS)

.PHONY: all deps native asan win64 win32 test test-unit test-wine run fuzz bench bench-compare clean

all: native win64 win32

deps:
	@tools/deps.sh

# Window-free core, optimised: tools and benchmarks.
native: deps
	@$(CMAKE) -S . -B $(BUILD)/native -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(BUILD)/native -j$(JOBS)

# The same core with the sanitizers: the unit tests run here.
asan: deps
	@$(CMAKE) -S . -B $(BUILD)/asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMORA_SANITIZE=ON -DLUMORA_BENCH=OFF >/dev/null
	@cmake --build $(BUILD)/asan -j$(JOBS)

win64: deps
	@$(CMAKE) -S . -B $(BUILD)/win64 -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake >/dev/null
	@cmake --build $(BUILD)/win64 -j$(JOBS)

win32: deps
	@$(CMAKE) -S . -B $(BUILD)/win32 -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake >/dev/null
	@cmake --build $(BUILD)/win32 -j$(JOBS)

test: native asan win64 win32
	@$(CTEST) --test-dir $(BUILD)/asan
	@$(CTEST) --test-dir $(BUILD)/win64

run: win64
	@tools/run-viewer.sh $(BUILD)

fuzz: deps
	@tools/fuzz.sh $(BUILD)

bench: native
	@tools/bench.sh $(BUILD)

bench-compare: native
	@tools/bench-compare.sh $(BUILD)

clean:
	rm -rf $(BUILD)
