# Entry points: make test, make demo, make bench. See README.md.
BUILD      ?= build
HOST_DIR   := $(BUILD)/host
WIN_DIR    := $(BUILD)/win
JOBS       ?= 2

.PHONY: all bootstrap host win build test test-host test-win demo bench screens art clean

all: build

bootstrap:
	@scripts/bootstrap

host: bootstrap
	@cmake -S . -B $(HOST_DIR) -DCMAKE_BUILD_TYPE=Debug -DVANDREL_SANITIZE=ON >/dev/null
	@cmake --build $(HOST_DIR) -j$(JOBS)

win: bootstrap
	@cmake -S . -B $(WIN_DIR) -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64.cmake >/dev/null
	@cmake --build $(WIN_DIR) -j$(JOBS)

build: host win

test: build
	@scripts/run-tests

demo: build
	@scripts/demo

bench: build
	@scripts/bench

# Renders the art into src/resources/ (committed; the build only embeds it) and previews into build/art/.
art: bootstrap
	@/usr/bin/python3 tools/art/render.py --preview $(BUILD)/art

screens: build
	@mkdir -p $(BUILD)/screens && scripts/with-wine wine $(WIN_DIR)/screens.exe $(BUILD)/screens

clean:
	rm -rf $(BUILD)
