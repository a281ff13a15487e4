# Tavrel: the two commands of the README are `make run` and `make test`.
.PHONY: deps configure build test test-asan run bench fuzz fuzz-build fuzz-smoke clean

# Seconds each fuzz target runs: `make fuzz` for a real session, `make test` for a short pass.
FUZZ_SECONDS ?= 600
FUZZ_SMOKE_SECONDS ?= 30
# Fuzz targets run at the same time (each one process on one core).
FUZZ_PARALLEL ?= 2

deps:
	@scripts/install-deps.sh

configure: deps
	cmake --preset default

build: configure
	cmake --build --preset default

# Every test on the normal build, again on the core and command line built with
# AddressSanitizer and UndefinedBehaviorSanitizer, then a short pass of every fuzz target.
test: build
	ctest --preset default
	$(MAKE) test-asan
	$(MAKE) fuzz-smoke

test-asan: deps
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan

run: build
	scripts/run-demo.sh

bench: build
	scripts/bench.sh

fuzz-build: deps
	cmake --preset fuzz
	cmake --build --preset fuzz

# A session of FUZZ_SECONDS per target, growing the corpus kept in build-fuzz/fuzz-work/.
fuzz: fuzz-build
	FUZZ_PARALLEL=$(FUZZ_PARALLEL) scripts/fuzz.sh $(FUZZ_SECONDS)

# The short pass of `make test`: from the seeds alone, so every run does the same work.
fuzz-smoke: fuzz-build
	FUZZ_PARALLEL=$(FUZZ_PARALLEL) FUZZ_KEEP_CORPUS=0 FUZZ_WORK_DIR=build-fuzz/fuzz-smoke \
	  scripts/fuzz.sh $(FUZZ_SMOKE_SECONDS)

clean:
	rm -rf build build-asan build-fuzz
