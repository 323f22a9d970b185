# The two commands of the README:
#   make run   set up, build, and run the main job
#   make test  set up, build, and run every test (C++ unit tests, the same under
#              AddressSanitizer and UndefinedBehaviorSanitizer, pytest under PyPy and CPython)

SHELL := /bin/bash
JOBS ?= $(shell nproc)
PYPY := .venv/pypy/bin/python
CPYTHON := .venv/cpython/bin/python
export CCACHE_BASEDIR := $(CURDIR)

.PHONY: run test bootstrap native asan install-pypy install-cpython \
        test-native test-asan test-pypy test-cpython bench clean

run: bootstrap install-pypy
	$(PYPY) scripts/main.py

test: bootstrap
	$(MAKE) test-native
	$(MAKE) test-asan
	$(MAKE) test-pypy
	$(MAKE) test-cpython

bootstrap:
	@scripts/bootstrap

native:
	@cmake -S . -B build/native -G Ninja -DVARNEL_BUILD_PYTHON=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build build/native -j $(JOBS)

asan:
	@cmake -S . -B build/asan -G Ninja -DVARNEL_BUILD_PYTHON=OFF -DVARNEL_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug >/dev/null
	@cmake --build build/asan -j $(JOBS)

test-native: native
	cd build/native && ctest -j $(JOBS) --output-on-failure

test-asan: asan
	cd build/asan && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest -j $(JOBS) --output-on-failure

install-pypy:
	@$(PYPY) -m pip install -q --disable-pip-version-check --no-build-isolation -C cmake.define.VARNEL_BUILD_PROBE=ON .

install-cpython:
	@$(CPYTHON) -m pip install -q --disable-pip-version-check --no-build-isolation -C cmake.define.VARNEL_BUILD_PROBE=ON .

test-pypy: install-pypy
	$(PYPY) -m pytest -q tests

test-cpython: install-cpython
	$(CPYTHON) -m pytest -q tests

bench: bootstrap install-pypy install-cpython
	@for b in bench/*.py; do echo "== $$b"; $(CPYTHON) $$b || exit 1; done

clean:
	rm -rf build
