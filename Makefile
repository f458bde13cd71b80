# make demo  - install what is missing, build, start Velmarch on its demo databases
# make test  - install what is missing, build, run every test
# make bench - time the transfer against a bare loop of the same statements

BUILD ?= build

.PHONY: deps build test demo bench clean

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

clean:
	rm -rf $(BUILD) demo-run bench-run
