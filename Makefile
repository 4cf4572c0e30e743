# Set-up on a fresh Debian 12 machine: `make run` or `make test`.
BUILD ?= build
BENCH_BUILD ?= build-bench
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= 2
FUZZ_SECONDS ?= 60

.PHONY: all deps configure build run test sanitize fuzz bench install clean

all: build

deps:
	@scripts/deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DTINTRA_BENCH=ON >/dev/null

build: configure
	@cmake --build $(BUILD) -j$(JOBS)

run: build
	@scripts/run.sh $(BUILD)/app/Tintra

# Every suite, then the unit and widget suites again under the sanitizers.
test: build
	cd $(BUILD) && ctest --output-on-failure --no-tests=error -j$(JOBS)
	@JOBS=$(JOBS) scripts/sanitize.sh

sanitize: deps
	@JOBS=$(JOBS) scripts/sanitize.sh

# The fuzzers (clang, libFuzzer), each for FUZZ_SECONDS.
fuzz: deps
	@JOBS=$(JOBS) scripts/fuzz.sh $(FUZZ_SECONDS)

# Release build of its own, every benchmark, one table.
bench: deps
	@cmake -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DTINTRA_BENCH=ON -DTINTRA_TESTS=OFF >/dev/null
	@cmake --build $(BENCH_BUILD) -j$(JOBS) --target bench_all
	@bench/run.sh $(BENCH_BUILD)

install: build
	cmake --install $(BUILD)

clean:
	rm -rf $(BUILD) $(BENCH_BUILD) build-asan build-fuzz
