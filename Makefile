# The two set-up commands of the README, plus the targets they are made of.

# The conform demo runs with default settings (a registry file that is not there) and keeps
# what it writes on the Windows drive (the temporary edit list) under build/.
DEMO_CONFORM_ENV = COMMONOBJECTS_REGISTRY=$(CURDIR)/build/dev/demo-conform/no-registry.reg \
                   COMMONOBJECTS_ROOT=$(CURDIR)/build/dev/demo-conform/windows-drive

.PHONY: demo test setup build build-asan test-asan build-tsan test-tsan bench bench-readme fuzz clean

demo: build
	./build/dev/cli/mixauto demo
	./build/dev/cli/mixauto save-demo build/dev/demo.mix
	./build/dev/cli/mixauto info build/dev/demo.mix
	./build/dev/cli/mixauto save-demo build/dev/demo-mix.mix --mix
	./build/dev/cli/mixauto info build/dev/demo-mix.mix
	$(DEMO_CONFORM_ENV) ./build/dev/cli/mixauto demo-conform build/dev/demo-conform

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

# The speed report: the benchmarks its table needs, one table of figures against their goals.
# FILTER=regex runs only the rows it matches (make bench FILTER=sort). The run's figures stay
# in BENCH_RUN, from which bench-readme writes the table into the README's speed section.
BENCH_RUN = build/dev/bench/last-run.json

bench: build
	cmake --build --preset dev --target commonobjects_bench
	./scripts/bench-report --bench build/dev/bench/commonobjects_bench --save $(BENCH_RUN) $(if $(FILTER),--filter '$(FILTER)')

bench-readme:
	./scripts/bench-report --json $(BENCH_RUN) --readme README.md

fuzz: setup
	./scripts/setup fuzz
	cmake --preset fuzz
	cmake --build --preset fuzz

clean:
	rm -rf build
