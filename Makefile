# The project's commands (see README.md).
BUILD ?= build
GENERATOR := -G Ninja -DCMAKE_BUILD_TYPE=Release
ARCHS := x86_64 i686
# The architecture `make run` and `make screenshot` show: x86_64, or i686 (the 32-bit band in the
# 32-bit host).
ARCH ?= x86_64
# A release is signed with a real certificate by giving the build settings of cmake/signing.cmake
# here, on make's command line (README.md); given, they configure the build folders again.
SIGN_SETTINGS := $(foreach s,PKCS12 PASSWORD_FILE TIMESTAMP_URL,\
  $(if $(QUILLMASK_SIGN_$(s)),'-DQUILLMASK_SIGN_$(s)=$(QUILLMASK_SIGN_$(s))'))

# Seconds each fuzz target runs in `make fuzz`, and in the short smoke of `make test`.
FUZZ_SECONDS ?= 60
FUZZ_SMOKE_SECONDS ?= 5

.PHONY: test run screenshot bench build package deps fuzz fuzz-build $(ARCHS:%=configure-%)

# A short smoke of each fuzz target, then both builds' tests side by side, the 64-bit ones under
# wine64, the 32-bit ones under the 32-bit Wine.
test: build fuzz-build
	tools/run-fuzz $(BUILD)/fuzz $(FUZZ_SMOKE_SECONDS)
	tools/run-tests $(BUILD)/x86_64 $(BUILD)/i686 $(ARGS)

# Each fuzz target (tests/fuzz/) for FUZZ_SECONDS, from its seeds and what it found before.
fuzz: fuzz-build
	tools/run-fuzz $(BUILD)/fuzz $(FUZZ_SECONDS)

# The pure units built natively with clang's libFuzzer, apart from the Windows builds.
fuzz-build: deps
	@[ -f $(BUILD)/fuzz/build.ninja ] || cmake -S tests/fuzz -B $(BUILD)/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_CXX_COMPILER=clang++
	cmake --build $(BUILD)/fuzz

run: build
	tools/run-demo $(BUILD)/$(ARCH)

# The demo on a private display even where there is one of your own: only its screenshot is left.
screenshot: build
	DISPLAY= tools/run-demo $(BUILD)/$(ARCH)

# Both installers, quillmask-<version>-x64-setup.exe and -x86-setup.exe, in $(BUILD)/packages
# (every build makes them), each shown with its size and its verified signature's signer and digest.
package: build
	@$(BUILD)/x86_64/signing/show $(BUILD)/packages/quillmask-*-x64-setup.exe
	@$(BUILD)/i686/signing/show $(BUILD)/packages/quillmask-*-x86-setup.exe

# The band's bench in a virtual desktop: without a window manager Wine waits two seconds as each
# message box closes.
bench: build
	tools/run-wine $(BUILD)/x86_64 $(BUILD)/x86_64/bin/proxylist_bench.exe
	WINE_SESSION_DESKTOP=1024x768 tools/run-wine $(BUILD)/x86_64 $(BUILD)/x86_64/bin/band_creation_bench.exe
	tools/run-download-bench $(BUILD)/x86_64

build: deps $(ARCHS:%=configure-%)
	cmake --build $(BUILD)/x86_64
	cmake --build $(BUILD)/i686

deps:
	tools/install-deps

$(ARCHS:%=configure-%): configure-%:
	@$(if $(strip $(SIGN_SETTINGS)),,[ -f $(BUILD)/$*/build.ninja ] ||) cmake -S . -B $(BUILD)/$* $(GENERATOR) \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-$*-w64-mingw32.cmake $(SIGN_SETTINGS)
