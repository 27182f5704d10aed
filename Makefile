# The two commands of the README:
#   make run [APP=QuarnTool|morvex]   build and start a program
#   make test                         build and run every test, plainly and under sanitizers
APP ?= QuarnTool

.PHONY: all deps build run test test-default test-asan clean fuzz

all: build

deps:
	@bash scripts/install-deps.sh

build: deps
	cmake --preset default
	cmake --build --preset default

run: build
	@if [ -x build/default/bin/$(APP) ]; then \
	  exec build/default/bin/$(APP); \
	else \
	  echo "$(APP) is not built yet"; exit 1; \
	fi

test: deps test-default test-asan

test-default:
	cmake --workflow --preset default

test-asan:
	cmake --workflow --preset asan

# Each fuzz target for FUZZ_SECONDS (default 60); findings in build/fuzz/findings.
FUZZ_SECONDS ?= 60
fuzz: deps
	@bash scripts/install-fuzz-deps.sh
	cmake --preset fuzz
	cmake --build --preset fuzz
	bash fuzz/run.sh $(FUZZ_SECONDS)

# Benchmarks against peer libraries and tools; prints the figures of
# docs/performance.md. REPS sets the repetitions (default 5).
.PHONY: bench
bench: deps
	@bash scripts/install-bench-deps.sh
	cmake --preset bench
	cmake --build --preset bench
	bash bench/run-benchmarks.sh build/bench

# The Debian package build/default/quarn-tools_<version>_amd64.deb.
.PHONY: package
package: build
	cmake --build --preset default --target package

clean:
	rm -rf build

# The core, quarnctl and quarnsim cross-built for Windows (mingw-w64) and
# their tests run under wine, quarnctl.exe against a quarnsim built here.
.PHONY: test-windows
test-windows: deps
	@bash scripts/install-windows-deps.sh
	cmake --preset default
	cmake --build --preset default --target quarnsim
	cmake --workflow --preset windows
