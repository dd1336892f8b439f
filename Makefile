# The two everyday commands: `make run` and `make test`. Both install what is missing first.
JOBS ?= $(shell nproc)

.PHONY: deps run test install build-release build-ci asan fuzz bench bench-decoder bench-lists bench-intake bench-retag bench-playlist bench-play bench-html format bench-maintenance

deps:
	@bash scripts/install-deps.sh

build-release: deps
	cmake --preset release
	cmake --build --preset release -j $(JOBS)

build-ci: deps
	cmake --preset ci
	cmake --build --preset ci -j $(JOBS)

run: build-release
	./build/release/bin/tamboro3

test: build-ci
	ctest --preset ci -j $(JOBS)

# Installs the release build as a desktop program: the two programs, the menu entry and its icon
# under /usr/local (as root), or under PREFIX (`make install PREFIX=$$HOME/.local`).
install: build-release
	cmake --install build/release $(if $(PREFIX),--prefix $(PREFIX))

asan: deps
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan -j $(JOBS)

# Builds tamboro3-fuzz under the sanitizers and runs each of its targets for FUZZ_SECONDS seconds
# (FUZZ_SEED picks the mutation sequence). Inputs that escape with a foreign exception, and the
# input of a sanitizer report, land in fuzz/findings/.
FUZZ_SECONDS ?= 600
FUZZ_SEED ?= 1
FUZZ_TARGETS ?= id3v1 id3v2 container mpeg reqs wma userlist

fuzz: deps
	cmake --preset asan -DTAMBORO_BUILD_FUZZ=ON
	cmake --build --preset asan --target tamboro3-fuzz -j $(JOBS)
	@status=0; for target in $(FUZZ_TARGETS); do \
		ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 \
		UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		./build/asan/fuzz/tamboro3-fuzz $$target $(FUZZ_SECONDS) $(FUZZ_SEED) || status=1; \
	done; exit $$status

bench: build-release
	cmake --build --preset release --target benchmarks -j $(JOBS)

# Makes the MPEG corpus once (about 1 GB under build/release) and prints the probe and decode
# figures.
bench-decoder: build-release
	cmake --build --preset release --target bench-decoder -j $(JOBS)

# Makes the 10,000-file intake corpus once (about 10 GB under build/release) and prints the add
# run's figures against TagLib reading the same files, into an empty and a 100,000-song table.
bench-intake: build-release
	cmake --build --preset release --target bench-intake -j $(JOBS)

# Makes the 100,000-song list corpus once (under build/release) and prints the list figures
# and those of the value files of lists by parameters.
bench-lists: build-release
	cmake --build --preset release --target ListBench ShellBench UserListBench ParamsBench FastSearchBench -j $(JOBS)
	./build/release/bench/ListBench
	./build/release/bench/ShellBench
	./build/release/bench/UserListBench
	./build/release/bench/ParamsBench
	./build/release/bench/FastSearchBench

# The mass re-tag of 10,000 songs against the same tag writes and one update statement.
bench-retag: build-release
	cmake --build --preset release --target RetagBench -j $(JOBS)
	./build/release/bench/RetagBench

# The HTML page of a 100,000-row window against writing its bytes (the list corpus, made once).
bench-html: build-release
	cmake --build --preset release --target HtmlExportBench -j $(JOBS)
	./build/release/bench/HtmlExportBench

bench-playlist: build-release
	cmake --build --preset release --target PlayListBench -j $(JOBS)
	./build/release/bench/PlayListBench

# The built-in player: ">" to the first audio written, on a 5-minute 320 kbit/s MP3 made for
# the run, median and max of 20 runs.
bench-play: build-release
	cmake --build --preset release --target bench-play -j $(JOBS)

# Copying 1,000 files of 5 MB (made for the run, 5 GB) against cp of the same files, medians
# of 5 alternating rounds.
.PHONY: bench-copy
bench-copy: build-release
	cmake --build --preset release --target CopyBench -j $(JOBS)
	./build/release/bench/CopyBench

# Re-indexing and the existence check over the 100,000-song list corpus (made once).
bench-maintenance: build-release
	cmake --build --preset release --target MaintenanceBench -j $(JOBS)
	./build/release/bench/MaintenanceBench

format:
	find src tests bench decoder fuzz -name '*.cpp' -o -name '*.h' | xargs clang-format -i

# The personal sharing server's answer to a few searches over the 100,000-song list corpus
# (made once), median and slowest of 21 runs each.
.PHONY: bench-share-search
bench-share-search: build-release
	cmake --build --preset release --target ShareSearchBench -j $(JOBS)
	./build/release/bench/ShareSearchBench

# A search answered by a running personal server over the 100,000-song list corpus (made once),
# on loopback: median and slowest of 20 searches for a common and a rare word.
.PHONY: bench-share
bench-share: build-release
	cmake --build --preset release --target ShareSearchNetBench -j $(JOBS)
	./build/release/bench/ShareSearchNetBench

# The message layer on loopback: a 1 GB stream (a file made for the run, then removed) received
# to disk against a plain socket pair, with the receiver's peak memory, medians of 5 alternating
# rounds; and 1,000 messages posted one after another, one connection each.
.PHONY: bench-net
bench-net: build-release
	cmake --build --preset release --target NetStreamBench NetMessageBench -j $(JOBS)
	./build/release/bench/NetStreamBench
	./build/release/bench/NetMessageBench

# "Download" on a result row to the stored file for a 100 MB song (made for the run, then
# removed) served by a running `tamboro3-cli share` on loopback, with the phases of the
# exchange, against a plain socket pair writing the same bytes with and without fdatasync;
# medians of 5 alternating rounds.
.PHONY: bench-download
bench-download: build-release
	cmake --build --preset release --target DownloadBench tamboro3-cli -j $(JOBS)
	./build/release/bench/DownloadBench
