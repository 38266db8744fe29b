# The two commands of the README, and the rest of the workflow. Each target
# installs the packages.txt sections it needs, and no more.
#   make run      build and run: the program alone, optimised, then its window
#   make check    the quick loop: builds what changed and runs the plain C++
#                 suites (model, measurement, look) natively, in seconds
#   make test     build and test: every test, headless (ci preset), then the
#                 web edition's (web preset) and the Windows program's under
#                 Wine (windows preset)
#   make site     the web edition's site alone: build/web/site
#   make web      the web edition: builds the site and serves it on the loopback
#   make windows  the Windows program and its installer: build/windows/win/
#                 tintora.exe and build/windows/tintora-*-setup.exe
#   make lint     clang-format, clang-tidy and cppcheck over the ci build
#   make bench    the benchmarks and the start-up harness (bench preset)
#   make package  the Debian package (release preset)
#   make reproducible  every download built twice from the last commit, compared

.PHONY: all run check test site web windows lint bench package reproducible clean

# Every build takes its times from the last commit (Qt's resource compiler
# and CPack read it), so that one commit builds the same files anywhere.
SOURCE_DATE_EPOCH ?= $(shell git log -1 --format=%ct 2>/dev/null)
ifneq ($(SOURCE_DATE_EPOCH),)
export SOURCE_DATE_EPOCH
endif

all: run

run:
	@tools/install-deps build
	cmake --preset release
	cmake --build --preset release
	build/release/app/tintora

check:
	@tools/install-deps build test
	@test -f build/ci/build.ninja || cmake --preset ci
	cmake --build --preset ci --target model_tests measurement_tests look_tests
	ctest --preset ci -L plain

test:
	@tools/install-deps build test web web-test windows
	@tools/install-npm
	cmake --preset ci
	cmake --build --preset ci
	ctest --preset ci
	cmake --preset web
	cmake --build --preset web
	ctest --preset web
	cmake --preset windows
	cmake --build --preset windows
	ctest --preset windows

# The site is static files in build/web/site; PORT=8081 serves it elsewhere.
site:
	@tools/install-deps web
	cmake --preset web
	cmake --build --preset web --target site

web: site
	tools/serve-web build/web/site

windows:
	@tools/install-deps windows
	cmake --preset windows
	cmake --build --preset windows --target tintora tintora_installer
	@ls -l build/windows/win/tintora.exe build/windows/tintora-*-setup.exe

lint:
	@tools/install-deps build test web lint
	@tools/install-npm
	cmake --preset ci
	tools/lint build/ci

# Benchmarks are not timed tests: make test builds them when Google
# Benchmark is installed, but runs none.
bench:
	@tools/install-deps build test bench web web-test
	@tools/install-npm
	cmake --preset bench
	cmake --build --preset bench
	cmake --preset web
	cmake --build --preset web
	node bench/web.mjs size build/web/site --max 102400
	@# Every table is printed; a missed target fails the run at the end.
	@desktop=0; bench/report.py build/bench || desktop=$$?; \
	node bench/web.mjs report build/web/site bench/web-floor build/bench/bench/engine_loop build/web/bench/engine_loop.js 31 \
	&& exit $$desktop

# The Debian package, from the release build: build/release/tintora_*.deb,
# checked by lintian.
package:
	@tools/install-deps build package
	cmake --preset release
	cmake --build --preset release
	cd build/release && cpack
	lintian --fail-on error,warning build/release/tintora_*.deb

reproducible:
	tools/reproducible

clean:
	rm -rf build
