# make run    installs what is missing, builds, and opens the window on the sample model
# make test   installs what is missing, builds, and runs every test through CTest
# make bench  builds and runs the benchmarks
# make check  builds the tests with AddressSanitizer and UBSan and runs them
# make fuzz-smoke  runs each fuzz target for a minute
# make package  builds the Debian packages lathwork-cli and lathwork (.deb) in the build folder
# make gui-soak  runs the window exerciser for 100,000 random user actions
#                (SOAK_ACTIONS=n, SOAK_SEED=n to replay a walk; the seed is printed)
# make race   runs 1,000 pairs of saves of one model at once (RACE_PAIRS=n) and fails on any
#             change lost while its run reported success
# make windows       cross-builds lathwork-cli.exe and the core and CLI tests for 64-bit Windows
# make windows-test  runs those tests under Wine
# make windows-zip   packs lathwork-cli-VERSION-win64.zip with the README and the licence

BUILD ?= build
WINDOWS_BUILD ?= build-windows
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: all deps build run test race bench check fuzz-smoke package gui-soak windows windows-test windows-zip clean

all: build

deps:
	./scripts/install-deps

build: deps
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j $(JOBS)

run: build
	cd assets/samples && ../../$(BUILD)/app/lathwork

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

RACE_PAIRS ?= 1000
race: build
	./scripts/race $(BUILD)/cli/lathwork-cli $(RACE_PAIRS)

bench: build
	./$(BUILD)/bench/lathwork_bench

check: deps
	cmake -S . -B $(BUILD)-check -G Ninja -DCMAKE_BUILD_TYPE=Debug -DLATHWORK_SANITIZE=address,undefined -DLATHWORK_BENCH=OFF
	cmake --build $(BUILD)-check -j $(JOBS)
	cd $(BUILD)-check && QT_QPA_PLATFORM=offscreen \
	  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:check_initialization_order=1:strict_init_order=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp:print_suppressions=0 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j $(JOBS)

package: build
	cd $(BUILD) && cpack -G DEB

FUZZ_SECONDS ?= 60
fuzz-smoke: deps
	cmake -S . -B $(BUILD)-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DLATHWORK_FUZZ=ON
	cmake --build $(BUILD)-fuzz -j $(JOBS)
	./scripts/fuzz-smoke $(BUILD)-fuzz $(FUZZ_SECONDS)

SOAK_ACTIONS ?= 100000
gui-soak: build
	cd $(BUILD)/tests/gui && QT_QPA_PLATFORM=offscreen LATHWORK_EXERCISER_ACTIONS=$(SOAK_ACTIONS) \
	  $(if $(SOAK_SEED),LATHWORK_EXERCISER_SEED=$(SOAK_SEED)) ./WindowExerciserTest

# The Windows build has its own packages (the cross compiler, Wine), kept out of plain builds.
windows:
	./scripts/install-windows-deps
	./scripts/build-windows $(WINDOWS_BUILD) $(JOBS)

windows-test: windows
	./scripts/test-windows $(WINDOWS_BUILD) $(JOBS)

windows-zip: windows
	./scripts/zip-windows $(WINDOWS_BUILD)

clean:
	rm -rf $(BUILD) build-*
