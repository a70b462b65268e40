# The front door. `make run` builds and starts the program; `make test` builds and runs every test, then again
# under AddressSanitizer and UndefinedBehaviorSanitizer, then a short fuzz run. Both install what is missing first.
SHELL := /bin/bash
JOBS ?= $(shell nproc)
FUZZ_RUNS ?= 10000000
FUZZ_SMOKE_RUNS ?= 20000
FUZZ_JOBS ?= $(JOBS)

.PHONY: all deps build run test test-default test-asan test-plain test-mingw fuzz-smoke bench fuzz format-check clean

all: build

deps:
	@scripts/install-deps

build: deps
	cmake --preset default
	cmake --build --preset default -j $(JOBS)

run: build
	build/default/Pallastrovane

test: deps format-check test-default test-asan test-plain test-mingw fuzz-smoke

test-default:
	cmake --preset default
	cmake --build --preset default -j $(JOBS)
	ctest --preset default

test-asan:
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan

# A plain Release build as any user makes it, without the presets (so without -Werror), with each compiler: the
# build must not depend on the presets. The tests are built, not run.
test-plain:
	cmake -S . -B build/plain-gcc -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=g++
	cmake --build build/plain-gcc -j $(JOBS)
	cmake -S . -B build/plain-clang -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=clang++
	cmake --build build/plain-clang -j $(JOBS)

# The Qt-free targets as CMake defines them (the framework's core, the computation, the program's sources and the
# platform entry) built for 64-bit Windows, without linking the program: Debian has no Qt for MinGW. A POSIX-ism or
# an entry that Windows' start-up would not find shows here.
# The POSIX thread model, as Qt's own MinGW builds use: the win32 model of GCC 12 has no std::mutex.
MINGW_CXX ?= x86_64-w64-mingw32-g++-posix
test-mingw:
	cmake -S . -B build/mingw -G Ninja -DCMAKE_SYSTEM_NAME=Windows -DCMAKE_CXX_COMPILER=$(MINGW_CXX) \
	  -DPALL_WITH_QT=OFF -DPALL_WERROR=ON
	cmake --build build/mingw -j $(JOBS)

fuzz-build:
	cmake --preset fuzz
	cmake --build --preset fuzz -j $(JOBS)

fuzz-smoke: fuzz-build
	@for t in build/fuzz/fuzz/fuzz_*; do \
	  [ -x "$$t" ] || continue; \
	  echo "== $$t: $(FUZZ_SMOKE_RUNS) runs"; \
	  c=$$(basename $$t | sed 's/^fuzz_//'); mkdir -p build/fuzz/corpus/$$c && cp -r fuzz/corpus/$$c/. build/fuzz/corpus/$$c/; \
	  "$$t" -runs=$(FUZZ_SMOKE_RUNS) -seed=1 -max_len=4096 build/fuzz/corpus/$$c || exit 1; \
	done

# The runs are shared out over FUZZ_JOBS processes; any crash, leak or sanitizer report in a job's log fails it.
fuzz: deps fuzz-build
	@for t in build/fuzz/fuzz/fuzz_*; do \
	  [ -x "$$t" ] || continue; \
	  c=$$(basename $$t | sed 's/^fuzz_//'); mkdir -p build/fuzz/corpus/$$c && cp -r fuzz/corpus/$$c/. build/fuzz/corpus/$$c/; \
	  logs=build/fuzz/logs/$$c; rm -rf $$logs; mkdir -p $$logs; \
	  echo "== $$t: $(FUZZ_RUNS) runs in $(FUZZ_JOBS) jobs"; start=$$(date +%s); \
	  (cd $$logs && "$(CURDIR)/$$t" -jobs=$(FUZZ_JOBS) -workers=$(FUZZ_JOBS) -runs=$$(( $(FUZZ_RUNS) / $(FUZZ_JOBS) )) \
	     -max_len=4096 -print_final_stats=1 "$(CURDIR)/build/fuzz/corpus/$$c" >/dev/null 2>&1); \
	  if grep -l -E 'ERROR:|deadly signal|runtime error' $$logs/fuzz-*.log; then echo "$$t found a fault (see $$logs)"; exit 1; fi; \
	  runs=$$(grep -h stat::number_of_executed_units $$logs/fuzz-*.log | awk '{s+=$$2} END {print s}'); \
	  echo "   $$runs runs in $$(( $$(date +%s) - start )) s, nothing found"; \
	done

bench: build
	@for b in build/default/bench/bench_*; do [ -x "$$b" ] && "$$b"; done

format-check:
	@if command -v clang-format >/dev/null 2>&1; then \
	  files=$$(git ls-files '*.h' '*.cpp' 2>/dev/null); \
	  [ -z "$$files" ] || clang-format --dry-run --Werror $$files; \
	else echo "clang-format not found: format not checked"; fi

clean:
	rm -rf build
