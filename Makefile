# The project's commands (see README.md).
BUILD ?= build
GENERATOR := -G Ninja -DCMAKE_BUILD_TYPE=Release
ARCHS := x86_64 i686

.PHONY: test run screenshot bench build package deps $(ARCHS:%=configure-%)

test: build
	tools/run-tests $(BUILD)/x86_64 $(ARGS)

run: build
	tools/run-demo $(BUILD)/x86_64

# The demo on a private display even where there is one of your own: only its screenshot is left.
screenshot: build
	DISPLAY= tools/run-demo $(BUILD)/x86_64

# Both installers, quillmask-<version>-x64-setup.exe and -x86-setup.exe, in $(BUILD)/packages
# (every build makes them).
package: build
	@ls -l $(BUILD)/packages/*-setup.exe

bench: build
	tools/run-wine $(BUILD)/x86_64 $(BUILD)/x86_64/bin/proxylist_bench.exe
	tools/run-wine $(BUILD)/x86_64 $(BUILD)/x86_64/bin/band_creation_bench.exe
	tools/run-download-bench $(BUILD)/x86_64

build: deps $(ARCHS:%=configure-%)
	cmake --build $(BUILD)/x86_64
	cmake --build $(BUILD)/i686

deps:
	tools/install-deps

$(ARCHS:%=configure-%): configure-%:
	@[ -f $(BUILD)/$*/build.ninja ] || cmake -S . -B $(BUILD)/$* $(GENERATOR) \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-$*-w64-mingw32.cmake
