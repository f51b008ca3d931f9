# Korvel Typix: the two everyday commands are `make run` and `make test`.
# Both install what is missing (scripts/install-deps), configure and build.

BUILD      ?= build
TSAN_BUILD ?= build-tsan
BENCH_BUILD ?= build-bench
FUZZ_BUILD ?= build-fuzz
PACKAGE_BUILD ?= build-package
JOBS       ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps build programs run test tsan bench fuzz package clean demo

all: build

deps:
	@scripts/install-deps

# Developer and CI builds treat warnings as errors; a Release or packaging
# build configured by hand does not (TYPIX_WERROR is off there by default).
$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DTYPIX_WERROR=ON $(CMAKE_FLAGS)

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

# The two programs alone, without the test suites.
programs: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS) --target typix typixctl

# Starts the program on a demo data folder under build/ seeded with sample
# dictations, so a newcomer sees a working queue.
demo: programs
	scripts/make-demo-data $(BUILD)/demo

run: demo
	TYPIX_FOLDERS=$(BUILD)/demo/folders.ini $(BUILD)/typix

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) --timeout 600

# The threaded tests under ThreadSanitizer.
tsan: deps
	cmake -S . -B $(TSAN_BUILD) -G Ninja -DTYPIX_SANITIZE=thread -DTYPIX_BUILD_UI=OFF -DTYPIX_WERROR=ON $(CMAKE_FLAGS)
	cmake --build $(TSAN_BUILD) -j $(JOBS)
	cd $(TSAN_BUILD) && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
	  ctest --output-on-failure -j $(JOBS) -L threaded

bench: deps
	cmake -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DTYPIX_BUILD_BENCH=ON -DTYPIX_BUILD_UI=OFF -DTYPIX_BUILD_TESTS=OFF
	cmake --build $(BENCH_BUILD) -j $(JOBS)
	scripts/run-benchmarks $(BENCH_BUILD)

fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DTYPIX_FUZZ=ON -DTYPIX_BUILD_UI=OFF -DTYPIX_BUILD_TESTS=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS)

# A Debian package from a Release build with the distribution's hardening
# flags, in a build folder of its own so that the developer build keeps its
# objects (dpkg-shlibdeps works out the library dependencies).  The package is
# copied into $(BUILD); scripts/check-package runs lintian and lists what it holds.
package: deps
	cmake -S . -B $(PACKAGE_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DTYPIX_HARDEN=ON \
	  -DTYPIX_BUILD_TESTS=OFF $(CMAKE_FLAGS)
	cmake --build $(PACKAGE_BUILD) -j $(JOBS)
	rm -f $(PACKAGE_BUILD)/korvel-typix_*.deb
	cd $(PACKAGE_BUILD) && cpack -G DEB
	mkdir -p $(BUILD)
	cp $(PACKAGE_BUILD)/korvel-typix_*.deb $(BUILD)/
	scripts/check-package $(BUILD)

clean:
	rm -rf $(BUILD) $(TSAN_BUILD) $(BENCH_BUILD) $(FUZZ_BUILD) $(PACKAGE_BUILD)
