# Build, test and benchmark wrapper around CMake. Every target installs what it needs first.

JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 30
CMAKE_FLAGS ?=
# Extra ctest arguments, for example CTEST_ARGS="-LE heavy".
CTEST_ARGS ?=
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

# Packages the build, the tests, the fuzzers and the benchmarks need.
PACKAGES := build-essential cmake ninja-build g++ clang libclang-rt-14-dev \
	googletest libgtest-dev libgmock-dev libbenchmark-dev \
	libexpat1-dev libxml2-utils w3c-sgml-lib liblz4-dev zlib1g-dev rapidjson-dev librapidcheck-dev \
	libegl-dev libgl-dev libopengl-dev libgl1-mesa-dri glslang-tools libcairo2-dev libfreetype-dev fonts-dejavu-core \
	libharfbuzz-dev python3-fonttools fonts-dejavu-extra fonts-noto-core fonts-lmodern fonts-texgyre-math \
	fonts-noto-cjk fonts-arphic-uming fonts-wine fonts-urw-base35 fontconfig \
	libsdl2-dev libx11-dev xvfb xauth xdotool xclip imagemagick \
	fonts-freefont-otf fonts-liberation2 fonts-crosextra-caladea fonts-texgyre fonts-stix fonts-symbola \
	texlive-latex-base texlive-base texlive-science nodejs librsvg2-bin libicu-dev
# The MathJax of the LaTeX output tests (the CMake cache variable OQ_MATHJAX_DIR names it too).
MATHJAX_DIR := $(HOME)/.cache/OrlendoQuist/mathjax
MATHJAX_FILES := tests/support/mathjax/package.json tests/support/mathjax/package-lock.json

.PHONY: all deps build test test-sanitize fuzz bench run clean

all: build

deps:
	@missing=$$(for p in $(PACKAGES); do dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
		echo "Installing:" $$missing; \
		$(SUDO) apt-get update -qq && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi
	@# A nodejs from elsewhere brings its own npm, which Debian's npm would conflict with.
	@if ! command -v npm >/dev/null; then \
		echo "Installing: npm"; \
		$(SUDO) apt-get update -qq && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq npm; \
	fi
	@if [ ! -f $(MATHJAX_DIR)/node_modules/mathjax-full/package.json ] || \
		! cmp -s tests/support/mathjax/package-lock.json $(MATHJAX_DIR)/package-lock.json; then \
		echo "Installing MathJax into $(MATHJAX_DIR)"; \
		mkdir -p $(MATHJAX_DIR) && cp $(MATHJAX_FILES) $(MATHJAX_DIR)/ && \
		cd $(MATHJAX_DIR) && npm ci --no-audit --no-fund --loglevel=error; \
	fi

build/build.ninja:
	cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)

build: deps build/build.ninja
	cmake --build build -j $(JOBS)

test: build
	cd build && ctest --output-on-failure -j $(JOBS) $(CTEST_ARGS)

build-sanitize/build.ninja:
	cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DOQ_SANITIZE=ON $(CMAKE_FLAGS)

# The tests of code with worker threads, also run under ThreadSanitizer (a build of its own).
TSAN_TESTS := editor_fonts_font_import_test editor_fonts_font_import_window_test

build-tsan/build.ninja:
	cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DOQ_TSAN=ON $(CMAKE_FLAGS)

test-sanitize: deps build-sanitize/build.ninja build-tsan/build.ninja
	cmake --build build-sanitize -j $(JOBS)
	cd build-sanitize && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		ctest --output-on-failure -j $(JOBS) $(CTEST_ARGS)
	cmake --build build-tsan -j $(JOBS) --target $(TSAN_TESTS)
	@for t in $(TSAN_TESTS); do echo "== $$t (ThreadSanitizer)"; \
		TSAN_OPTIONS=halt_on_error=1 build-tsan/tests/$$t --gtest_brief=1 || exit 1; done

build-fuzz/build.ninja:
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DOQ_FUZZ=ON $(CMAKE_FLAGS)

# Runs every fuzz target for FUZZ_SECONDS on a scratch copy of its seed corpus, JOBS at a time.
fuzz: deps build-fuzz/build.ninja
	cmake --build build-fuzz -j $(JOBS)
	tools/run_fuzz_targets.sh build-fuzz/fuzz $(FUZZ_SECONDS) $(JOBS)

build-bench/build.ninja:
	cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DOQ_BENCH=ON -DOQ_TESTS=OFF $(CMAKE_FLAGS)

bench: deps build-bench/build.ninja
	cmake --build build-bench -j $(JOBS)
	@for b in build-bench/bench/*_bench; do echo "== $$(basename $$b)"; $$b --benchmark_min_time=0.2 || exit 1; done

# The main job: compile DejaVu Sans (fonts-dejavu-core) into a Vorl font file. Builds only the compiler.
RUN_FONT ?= /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
RUN_OUTPUT ?= build/DejaVuSans.vorl
run: deps build/build.ninja
	cmake --build build -j $(JOBS) --target vorlfont
	build/vorlfont/vorlfont $(RUN_FONT) -o $(RUN_OUTPUT)
	@echo "Wrote $(RUN_OUTPUT): $$(stat -c %s $(RUN_OUTPUT)) bytes compiled from $(RUN_FONT)"

clean:
	rm -rf build build-sanitize build-tsan build-fuzz build-bench
