# Set-up on a fresh Debian 12 machine: `make run` or `make test`.
BUILD ?= build
BENCH_BUILD ?= build-bench
PACKAGE_BUILD ?= build-package
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= 2
FUZZ_SECONDS ?= 60

.PHONY: all deps configure build program run test sanitize fuzz bench install package clean

all: build

deps:
	@scripts/deps.sh test

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DTINTRA_TESTS=ON -DTINTRA_BENCH=ON \
	  -DTINTRA_WERROR=ON >/dev/null

build: configure
	@cmake --build $(BUILD) -j$(JOBS)

# The program alone, with only what it needs installed. A first configure
# leaves the test suites out (their packages come with `make test`); a build
# folder that has them keeps them.
program:
	@scripts/deps.sh run
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DTINTRA_WERROR=OFF \
	  $(if $(wildcard $(BUILD)/CMakeCache.txt),,-DTINTRA_TESTS=OFF) >/dev/null
	@cmake --build $(BUILD) -j$(JOBS) --target Tintra

# Without a display to show it on, says so before installing or building
# anything.
run:
	@scripts/run.sh --check
	@$(MAKE) --no-print-directory program
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
	@cmake -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DTINTRA_BENCH=ON -DTINTRA_TESTS=OFF \
	  -DTINTRA_WERROR=OFF >/dev/null
	@cmake --build $(BENCH_BUILD) -j$(JOBS) --target bench_all
	@bench/run.sh $(BENCH_BUILD)

install: program
	cmake --install $(BUILD)

# The Debian package and its -dbgsym, from a build of their own with the
# flags Debian builds its packages with (hardening included), in
# $(PACKAGE_BUILD)/.
DEB_FLAGS = DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get
package:
	@scripts/deps.sh package
	@cmake -S . -B $(PACKAGE_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTINTRA_TESTS=OFF \
	  -DTINTRA_WERROR=OFF \
	  -DCMAKE_CXX_FLAGS="$$($(DEB_FLAGS) CPPFLAGS) $$($(DEB_FLAGS) CXXFLAGS)" \
	  -DCMAKE_EXE_LINKER_FLAGS="$$($(DEB_FLAGS) LDFLAGS)" >/dev/null
	@cmake --build $(PACKAGE_BUILD) -j$(JOBS) --target Tintra
	@cd $(PACKAGE_BUILD) && cpack -G DEB

clean:
	rm -rf $(BUILD) $(BENCH_BUILD) $(PACKAGE_BUILD) build-asan build-fuzz
