# The two set-up commands of the README, plus the targets they are made of.
.PHONY: demo test setup build build-asan test-asan build-tsan test-tsan bench fuzz clean

demo: build
	./build/dev/cli/mixauto demo
	./build/dev/cli/mixauto save-demo build/dev/demo.mix
	./build/dev/cli/mixauto info build/dev/demo.mix
	./build/dev/cli/mixauto save-demo build/dev/demo-mix.mix --mix
	./build/dev/cli/mixauto info build/dev/demo-mix.mix

test: build
	ctest --preset dev

setup:
	./scripts/setup

build: setup
	cmake --preset dev
	cmake --build --preset dev

build-asan: setup
	cmake --preset asan
	cmake --build --preset asan

test-asan: build-asan
	ctest --preset asan

build-tsan: setup
	cmake --preset tsan
	cmake --build --preset tsan

test-tsan: build-tsan
	ctest --preset tsan

bench: build
	./build/dev/bench/commonobjects_bench

fuzz: setup
	./scripts/setup fuzz
	cmake --preset fuzz
	cmake --build --preset fuzz

clean:
	rm -rf build
