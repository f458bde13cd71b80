# make demo    - install what is missing, build, start Velmarch on its demo databases
# make test    - install what is missing, build, run every test
# make bench   - time the transfer against a bare loop of the same statements
# make package - install what is missing, build, make $(BUILD)/velmarch_<version>_<arch>.deb

BUILD ?= build

.PHONY: deps build test demo bench package clean

deps:
	@scripts/install-deps

build: deps
	cmake -S . -B $(BUILD) -G Ninja
	cmake --build $(BUILD)

test: build
	cd $(BUILD) && ctest --output-on-failure --timeout 600

demo: build
	scripts/demo $(BUILD)

bench: build
	scripts/bench $(BUILD)

package: build
	cmake --build $(BUILD) --target package

clean:
	rm -rf $(BUILD) demo-run bench-run
