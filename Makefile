# The two commands a newcomer needs: `make run` and `make test`; `make package`
# builds the Debian package, `make windows` the Windows zip and installer.
BUILD_DIR ?= build
WINDOWS_DIR ?= build-windows
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
# The suites mostly wait (on avrdude and the emulated programmer's serial
# line, on the assembler, on wine), so twice as many run at once as there
# are cores: the warm Linux run takes about 24 s instead of 34 s on two.
TEST_JOBS ?= $(shell echo $$(( $(JOBS) * 2 )))

.PHONY: all deps configure build run test bench fuzz package package-check windows \
	windows-test clean

all: build

deps:
	@bash scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD_DIR) -DPULSAKOR_WERROR=ON >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	@bash scripts/run-window $(BUILD_DIR)

# The Windows suites run too when a Windows Qt is cached (make windows
# builds it once); without it they are reported as skipped.
test: build
	@cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(TEST_JOBS)
	@bash scripts/windows/test --if-cached $(WINDOWS_DIR)

# The table benchmark, then the window's start-up against a bare Qt window
# (bench/startup-ratio).
bench: build
	@cmake --build $(BUILD_DIR) --target pulsakor-bench -j $(JOBS)
	@$(BUILD_DIR)/pulsakor-bench
	@cmake --build $(BUILD_DIR) --target pulsakor-startup-bench -j $(JOBS)

# build/pulsakor_<version>_amd64.deb
package: build
	@cmake --build $(BUILD_DIR) --target package

# lintian on that package, with every tag it finds (make test fails only on
# errors and warnings).
package-check: package
	@lintian --display-info --pedantic $(BUILD_DIR)/pulsakor_*.deb

# The fuzz targets with clang in a folder of their own, each run for
# FUZZ_SECONDS; not part of `make test`.
fuzz: deps
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -DPULSAKOR_FUZZ=ON -DBUILD_TESTING=OFF \
		$(if $(shell command -v ccache),-DCMAKE_CXX_COMPILER_LAUNCHER=ccache) >/dev/null
	@cmake --build $(FUZZ_DIR) --target pulsakor-fuzz-targets -j $(JOBS)
	@bash scripts/run-fuzz $(FUZZ_DIR) $(FUZZ_SECONDS)

# Qt for Windows and avra.exe, built once into ~/.cache/pulsakor (about 45
# minutes the first time); then both programs and every test program into
# $(WINDOWS_DIR), and from them the zip and the installer.
windows:
	@bash scripts/windows/build $(WINDOWS_DIR)
	@bash scripts/windows/package $(WINDOWS_DIR)

# Every suite that means something on Windows, under wine.
windows-test:
	@bash scripts/windows/test $(WINDOWS_DIR)

clean:
	@rm -rf $(BUILD_DIR) $(FUZZ_DIR) $(WINDOWS_DIR)
