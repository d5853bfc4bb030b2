# Build, test and benchmark wrapper around CMake. Every target installs what it needs first.

JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 30
CMAKE_FLAGS ?=
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

# Packages the build, the tests, the fuzzers and the benchmarks need.
PACKAGES := build-essential cmake ninja-build g++ clang libclang-rt-14-dev \
	googletest libgtest-dev libgmock-dev libbenchmark-dev \
	libexpat1-dev libxml2-utils liblz4-dev zlib1g-dev rapidjson-dev \
	libegl-dev libgl-dev libopengl-dev libgl1-mesa-dri glslang-tools libcairo2-dev libfreetype-dev fonts-dejavu-core \
	libharfbuzz-dev python3-fonttools fonts-dejavu-extra fonts-noto-core fonts-lmodern fonts-texgyre-math \
	fonts-noto-cjk fonts-arphic-uming fonts-wine fonts-urw-base35 \
	libsdl2-dev libx11-dev xvfb xauth xdotool xclip imagemagick \
	fonts-freefont-otf fonts-liberation2 fonts-crosextra-caladea fonts-texgyre fonts-stix fonts-symbola

.PHONY: all deps build test test-sanitize fuzz bench run clean

all: build

deps:
	@missing=$$(for p in $(PACKAGES); do dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
		echo "Installing:" $$missing; \
		$(SUDO) apt-get update -qq && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi

build/build.ninja:
	cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)

build: deps build/build.ninja
	cmake --build build -j $(JOBS)

test: build
	cd build && ctest --output-on-failure -j $(JOBS)

build-sanitize/build.ninja:
	cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DOQ_SANITIZE=ON $(CMAKE_FLAGS)

test-sanitize: deps build-sanitize/build.ninja
	cmake --build build-sanitize -j $(JOBS)
	cd build-sanitize && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		ctest --output-on-failure -j $(JOBS)

build-fuzz/build.ninja:
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DOQ_FUZZ=ON $(CMAKE_FLAGS)

# Runs every fuzz target for FUZZ_SECONDS on a scratch copy of its seed corpus.
fuzz: deps build-fuzz/build.ninja
	cmake --build build-fuzz -j $(JOBS)
	@set -e; for target in build-fuzz/fuzz/*_fuzz; do \
		[ -x "$$target" ] || continue; name=$$(basename $$target); work=$$(mktemp -d); \
		if [ -d fuzz/corpus/$$name ]; then cp -r fuzz/corpus/$$name/. $$work/; fi; \
		echo "== $$name ($(FUZZ_SECONDS) s)"; \
		$$target -max_total_time=$(FUZZ_SECONDS) -artifact_prefix=$$work.artifact- -timeout=10 -rss_limit_mb=4096 -print_final_stats=1 $$work > $$work.log 2>&1 \
			|| { tail -n 60 $$work.log; rm -rf $$work $$work.log; exit 1; }; \
		grep -E '^stat::number_of_executed_units' $$work.log || true; \
		rm -rf $$work $$work.log; \
	done

build-bench/build.ninja:
	cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DOQ_BENCH=ON -DOQ_TESTS=OFF $(CMAKE_FLAGS)

bench: deps build-bench/build.ninja
	cmake --build build-bench -j $(JOBS)
	@for b in build-bench/bench/*_bench; do echo "== $$(basename $$b)"; $$b --benchmark_min_time=0.2 || exit 1; done

# The main job: the programs do not exist yet, so this builds the library and runs its tests.
# The main job: compile DejaVu Sans (fonts-dejavu-core) into a Vorl font file.
RUN_FONT ?= /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
RUN_OUTPUT ?= build/DejaVuSans.vorl
run: build
	build/vorlfont/vorlfont $(RUN_FONT) -o $(RUN_OUTPUT)
	@echo "Wrote $(RUN_OUTPUT): $$(stat -c %s $(RUN_OUTPUT)) bytes compiled from $(RUN_FONT)"

clean:
	rm -rf build build-sanitize build-fuzz build-bench
