# The two commands of the README, and the rest of the workflow.
#   make run    install what is missing, build, open the window
#   make test   install what is missing, build, run every test headless
PRESET ?= ci
BUILD := build/$(PRESET)

.PHONY: all deps build test run lint bench package clean

all: build

deps:
	@tools/install-deps

build: deps
	cmake --preset $(PRESET)
	cmake --build --preset $(PRESET)

test: build
	ctest --preset $(PRESET)

run: build
	$(BUILD)/app/tintora

clean:
	rm -rf build

lint: build
	tools/lint build/$(PRESET)

# Benchmarks are not timed tests: make test only builds them.
bench: deps
	cmake --preset release
	cmake --build --preset release
	bench/report.py build/release

# The Debian package, from the release build: build/release/tintora_*.deb
package: deps
	cmake --preset release
	cmake --build --preset release
	cd build/release && cpack
