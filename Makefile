# Tavrel: the two commands of the README are `make run` and `make test`.
.PHONY: deps configure build test test-asan run bench fuzz clean

deps:
	@scripts/install-deps.sh

configure: deps
	cmake --preset default

build: configure
	cmake --build --preset default

test: build
	ctest --preset default

test-asan: deps
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan

run: build
	scripts/run-demo.sh

bench: build
	scripts/bench.sh

fuzz: deps
	cmake --preset fuzz
	cmake --build --preset fuzz
	scripts/fuzz.sh $(FUZZ_SECONDS)

clean:
	rm -rf build build-asan build-fuzz
