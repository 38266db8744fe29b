# The two commands of the README, and the rest of the workflow. Each target
# installs the packages.txt sections it needs, and no more.
#   make run      build and run: the program alone, optimised, then its window
#   make test     build and test: every test, headless (ci preset)
#   make lint     clang-format, clang-tidy and cppcheck over the ci build
#   make bench    the benchmarks and the start-up harness (bench preset)
#   make package  the Debian package (release preset)

.PHONY: all run test lint bench package clean

all: run

run:
	@tools/install-deps build
	cmake --preset release
	cmake --build --preset release
	build/release/app/tintora

test:
	@tools/install-deps build test
	cmake --preset ci
	cmake --build --preset ci
	ctest --preset ci

lint:
	@tools/install-deps build test lint
	cmake --preset ci
	tools/lint build/ci

# Benchmarks are not timed tests: make test builds them when Google
# Benchmark is installed, but runs none.
bench:
	@tools/install-deps build test bench
	cmake --preset bench
	cmake --build --preset bench
	bench/report.py build/bench

# The Debian package, from the release build: build/release/tintora_*.deb,
# checked by lintian.
package:
	@tools/install-deps build package
	cmake --preset release
	cmake --build --preset release
	cd build/release && cpack
	lintian --fail-on error,warning build/release/tintora_*.deb

clean:
	rm -rf build
