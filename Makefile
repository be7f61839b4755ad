# The two commands a newcomer needs: `make run` and `make test`; `make package`
# builds the Debian package.
BUILD_DIR ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all deps configure build run test bench package package-check clean

all: build

deps:
	@bash scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD_DIR) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	@bash scripts/run-window $(BUILD_DIR)

test: build
	@cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

bench: build
	@cmake --build $(BUILD_DIR) --target pulsakor-bench -j $(JOBS)
	@$(BUILD_DIR)/pulsakor-bench

# build/pulsakor_<version>_amd64.deb
package: build
	@cmake --build $(BUILD_DIR) --target package

# lintian on that package, with every tag it finds (make test fails only on
# errors and warnings).
package-check: package
	@lintian --info --pedantic $(BUILD_DIR)/pulsakor_*.deb

clean:
	@rm -rf $(BUILD_DIR)
