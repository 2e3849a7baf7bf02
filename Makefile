# Entry points for people. Each installs what is missing (apt-get) before building.
.PHONY: test bench fuzz demo release deps clean
test:
	@scripts/test.sh
bench:
	@scripts/bench.sh
fuzz: deps
	@FUZZ_SECONDS=$${FUZZ_SECONDS:-120} scripts/fuzz.sh
demo: deps
	@scripts/demo.sh
release: deps
	@scripts/release.sh
deps:
	@scripts/deps.sh
clean:
	rm -rf build dist
