# Set-up on a fresh Debian 12 machine: `make run` or `make test`.
BUILD ?= build
BENCH_BUILD ?= build-bench
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= 2

.PHONY: all deps configure build run test bench install clean

all: build

deps:
	@scripts/deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DTINTRA_BENCH=ON >/dev/null

build: configure
	@cmake --build $(BUILD) -j$(JOBS)

run: build
	@scripts/run.sh $(BUILD)/app/Tintra

test: build
	cd $(BUILD) && ctest --output-on-failure --no-tests=error -j$(JOBS)

# Release build of its own, every benchmark, one table.
bench: deps
	@cmake -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DTINTRA_BENCH=ON -DTINTRA_TESTS=OFF >/dev/null
	@cmake --build $(BENCH_BUILD) -j$(JOBS) --target bench_all
	@bench/run.sh $(BENCH_BUILD)

install: build
	cmake --install $(BUILD)

clean:
	rm -rf $(BUILD)
