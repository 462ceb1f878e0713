# Front door. `make run` and `make test` work on a fresh Debian 12 machine.
BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_SECONDS ?= 60
JOBS       ?= $(shell nproc)
CMAKE_GEN  := -G Ninja

.PHONY: deps build build-asan test run bench package fuzz format clean

deps:
	@sh scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

build-asan: deps
	@cmake -S . -B $(ASAN_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DKELVARON_SANITIZE=ON >/dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)

test: build build-asan
	@ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)
	@echo "== unit tests under AddressSanitizer + UndefinedBehaviorSanitizer =="
	@ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
		ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS) -L unit

run: build
	@sh scripts/run-demo.sh $(BUILD)

# Debian packages of the program and the demo line, checked by installing them.
package: build
	@cd $(BUILD) && cpack -G DEB
	@sh scripts/check-package.sh $(BUILD)

bench: build
	@for b in $(BUILD)/*_bench; do echo "== $$b"; $$b; done

# Every fuzzer for FUZZ_SECONDS seconds from its seed corpus; not part of `make test`.
fuzz: deps
	@FUZZ_SECONDS=$(FUZZ_SECONDS) JOBS=$(JOBS) sh scripts/fuzz.sh

format:
	@clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	@rm -rf $(BUILD) $(ASAN_BUILD) build-fuzz
