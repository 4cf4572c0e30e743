# Set-up on a fresh Debian 12 machine: `make run` or `make test`.
BUILD ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= 2

.PHONY: all deps configure build run test bench install clean

all: build

deps:
	@scripts/deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) >/dev/null

build: configure
	@cmake --build $(BUILD) -j$(JOBS)

run: build
	@scripts/run.sh $(BUILD)/app/Tintra

test: build
	cd $(BUILD) && ctest --output-on-failure --no-tests=error -j$(JOBS)

install: build
	cmake --install $(BUILD)

clean:
	rm -rf $(BUILD)
