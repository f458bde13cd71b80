# make demo          - install what is missing, build, start Velmarch on its demo databases
# make test          - install what is missing, build, run every test
# make test-sanitize - the same tests, built with AddressSanitizer and UBSan
# make bench         - time the transfer against a bare loop of the same statements
# make package       - install what is missing, build, make $(BUILD)/velmarch_<version>_<arch>.deb

BUILD ?= build
SANITIZE_BUILD ?= build-sanitize
# A sanitizer report aborts the process that made it, so its test fails.
SANITIZE_ENV = ASAN_OPTIONS=abort_on_error=1:detect_leaks=0:strict_string_checks=1 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

.PHONY: deps build test test-sanitize demo bench package clean

deps:
	@scripts/install-deps

build: deps
	cmake -S . -B $(BUILD) -G Ninja
	cmake --build $(BUILD)

test: build
	cd $(BUILD) && ctest --output-on-failure --timeout 600

test-sanitize: deps
	cmake -S . -B $(SANITIZE_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELMARCH_SANITIZE=ON
	cmake --build $(SANITIZE_BUILD)
	cd $(SANITIZE_BUILD) && $(SANITIZE_ENV) ctest --output-on-failure --timeout 900 --exclude-regex package_test

demo: build
	scripts/demo $(BUILD)

bench: build
	scripts/bench $(BUILD)

package: build
	cmake --build $(BUILD) --target package

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) demo-run bench-run
