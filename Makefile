# make run      builds QuiverArchiver and starts it
# make test     builds and runs every test, then again under AddressSanitizer + UBSan, then
#               every fuzz target for 60 s
# make package  builds the Debian package (build-package/quiverarchiver_*.deb)
# make install  builds the Debian package and installs it with apt
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: run test setup build build-asan fuzz-smoke bench format clean package install

setup:
	./scripts/setup

build: setup
	cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)
	cmake --build build -j $(JOBS)

build-asan: setup
	cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQVR_SANITIZE=ON -DQVR_BENCH=OFF $(CMAKE_FLAGS)
	cmake --build build-asan -j $(JOBS)

run: build
	./build/bin/QuiverArchiver

test: build build-asan
	cd build && ctest --output-on-failure -j $(JOBS)
	cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --output-on-failure -j $(JOBS)
	$(MAKE) fuzz-smoke

# Every fuzz target for 60 s on its seeds (clang, libFuzzer, ASan + UBSan in build-fuzz).
fuzz-smoke: setup
	./archivers/fuzz/run.sh all 60

# The package is built apart, for the prefix /usr, without tests and benchmarks.
package: setup
	cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
	  -DQVR_TESTS=OFF -DQVR_BENCH=OFF $(CMAKE_FLAGS)
	cmake --build build-package -j $(JOBS)
	rm -f build-package/quiverarchiver_*.deb
	cd build-package && cpack -G DEB

install: package
	$(if $(filter 0,$(shell id -u)),,sudo) apt-get install -y ./build-package/quiverarchiver_*.deb

format:
	find src archivers tests bench -name '*.cpp' -o -name '*.h' -o -name '*.c' | xargs clang-format -i

clean:
	rm -rf build build-asan build-fuzz build-package
