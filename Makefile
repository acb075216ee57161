# Thin wrapper around CMake. `make run` and `make test` install what is missing first.
BUILD ?= build
JOBS  ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo
# Warnings are errors in every build made here (VARNO_WERROR); `make build WERROR=OFF`
# builds like a packager would.
WERROR ?= ON
# ccache, where installed, makes rebuilds and the sanitizer build cheap.
LAUNCHER := $(if $(shell command -v ccache),-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

.PHONY: all deps configure build test unit-test asan-test pgo pgo-test fuzz fuzz-smoke run bench screenshots install-deps clean format deb

all: build

deps install-deps:
	./scripts/install-deps

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS) -DVARNO_WERROR=$(WERROR) $(LAUNCHER)

# A build folder configured before the option existed (or with another
# setting) is brought in line.
configure: $(BUILD)/CMakeCache.txt
	@grep -q '^VARNO_WERROR:BOOL=$(WERROR)$$' $(BUILD)/CMakeCache.txt || \
	  cmake -S . -B $(BUILD) -DVARNO_WERROR=$(WERROR) >/dev/null

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# Every test: the normal build, the same tests under AddressSanitizer and
# UndefinedBehaviorSanitizer, the same tests on the profile-optimised build, a
# short fuzzing run over the seed corpora, and the Debian package built and
# checked.
test: deps
	$(MAKE) unit-test
	$(MAKE) asan-test
	$(MAKE) pgo-test
	$(MAKE) fuzz-smoke
	$(MAKE) deb

unit-test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

asan-test:
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVARNO_SANITIZE=ON \
	  -DVARNO_WERROR=$(WERROR) $(LAUNCHER)
	cmake --build build-asan -j $(JOBS)
	cd build-asan && QT_QPA_PLATFORM=offscreen \
	  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j $(JOBS)

# The build optimised with profiles of varno-batch's own runs
# (scripts/pgo-build): what `make bench` times and the package ships. Only the
# code's layout and inlining change, so it must pass every test unchanged.
# A Release build (-O3), as the package is.
PGO_BUILD ?= build-pgo
PGO_FLAGS ?= -DCMAKE_BUILD_TYPE=Release
pgo:
	./scripts/pgo-build $(PGO_BUILD) $(PGO_FLAGS) -DVARNO_WERROR=$(WERROR) $(LAUNCHER)

pgo-test: pgo
	cd $(PGO_BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# FUZZ_SECONDS per target (default 60); fuzz-smoke runs each for a few seconds.
FUZZ_SECONDS ?= 60
fuzz:
	./scripts/run-fuzz $(FUZZ_SECONDS)

fuzz-smoke:
	./scripts/run-fuzz 5

run: deps
	$(MAKE) build
	./scripts/run-gui $(BUILD)/bin

bench: deps
	$(MAKE) pgo
	./scripts/run-bench $(PGO_BUILD)/bin

# The Debian package as a packager builds it: Release, the program alone (no
# tests or benchmarks), warnings not errors, Debian's hardening flags,
# optimised with profiles of its own runs; then lintian, the desktop entry and
# a run of the packaged varno-batch against the development build.
DEB_BUILD ?= build-deb
deb: export DEB_BUILD_MAINT_OPTIONS = hardening=+all
deb:
	./scripts/pgo-build $(DEB_BUILD) -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DVARNO_WERROR=OFF \
	  -DCMAKE_CXX_FLAGS="$$(dpkg-buildflags --get CXXFLAGS) $$(dpkg-buildflags --get CPPFLAGS)" \
	  -DCMAKE_EXE_LINKER_FLAGS="$$(dpkg-buildflags --get LDFLAGS)" $(LAUNCHER)
	rm -f $(DEB_BUILD)/varno_*.deb
	cd $(DEB_BUILD) && cpack -G DEB
	./scripts/check-deb $(DEB_BUILD)/varno_*.deb

screenshots: deps
	$(MAKE) build
	QT_QPA_PLATFORM=offscreen $(BUILD)/bin/varno-screenshots $(BUILD)/screenshots

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) build-asan build-fuzz $(PGO_BUILD) $(PGO_BUILD)-train
