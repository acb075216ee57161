# Thin wrapper around CMake. `make run` and `make test` install what is missing first.
BUILD ?= build
JOBS  ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: all deps configure build test run bench screenshots install-deps clean format

all: build

deps install-deps:
	./scripts/install-deps

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

configure: $(BUILD)/CMakeCache.txt

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: deps
	$(MAKE) build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

run: deps
	$(MAKE) build
	./scripts/run-gui $(BUILD)/bin

bench: deps
	$(MAKE) build
	./scripts/run-bench $(BUILD)/bin

screenshots: deps
	$(MAKE) build
	QT_QPA_PLATFORM=offscreen $(BUILD)/bin/varno-screenshots $(BUILD)/screenshots

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD)
