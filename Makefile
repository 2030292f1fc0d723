# The two entry points of the README: `make test` and `make run`; `make dist`
# makes the release.
# Both install what the machine lacks first (tools/setup.sh is idempotent).
BUILD ?= build
JOBS ?= 2
CMAKE_FLAGS ?=

.PHONY: all setup build dist test run run-tarvik clean

all: build

setup:
	bash tools/setup.sh

build: setup
	bash tools/build.sh $(BUILD) $(JOBS) $(CMAKE_FLAGS)

# The portable zip and the installer in dist/, from the tree of the shipped
# 32-bit programs (BUILD-i686 where the tests run as 64-bit programs).
dist: build
	tree=$(BUILD); [ "$$(bash tools/test-arch.sh $(BUILD))" = i686 ] || tree=$(BUILD)-i686; \
	cmake --build $$tree --target dist

# The tests check dist/ as well.
test: dist
	cd $(BUILD) && xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j $(JOBS)

# Vantro.exe correcting against a local NTP server 5 s ahead (tools/run_vantro.py).
run: build
	python3 tools/run_vantro.py $(BUILD)

# Tarvik.exe on the demonstration scripts of tools/demo.
run-tarvik: build
	bash tools/run.sh $(BUILD)

clean:
	rm -rf $(BUILD) $(BUILD)-i686
