# Orlenda — the two commands a player or a maintainer needs: `make run` and `make test`.
BUILD   ?= build
JOBS    ?= $(shell nproc)
PREFIX  ?= /usr/local
# ON turns compiler warnings into errors (CI sets it).
ORLENDA_WERROR ?= OFF

# Debian packages, by what needs them: playing (and building the game), testing, benchmarks and fuzzing.
PACKAGES_PLAY  = cmake ninja-build g++ pkg-config libsdl2-dev libsdl2-ttf-dev libepoxy-dev libopenal-dev libenet-dev \
                 libmeshoptimizer-dev libpng-dev gettext fonts-ipafont-gothic fonts-dejavu-core
PACKAGES_TEST  = libgtest-dev libgmock-dev xvfb xauth libgl1-mesa-dri python3 desktop-file-utils appstream \
                 dpkg-dev
PACKAGES_BENCH = libbenchmark-dev clang libclang-rt-14-dev

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: all deps deps-play deps-test deps-bench configure game build run test bench bench-compare fuzz sanitize install package format format-check clean

all: build

# Installs only the Debian packages that are missing, so a second run costs nothing.
define install_missing
	@missing=""; for p in $(1); do dpkg -s $$p >/dev/null 2>&1 || missing="$$missing $$p"; done; \
	if [ -n "$$missing" ]; then \
	  echo "installing:$$missing"; \
	  $(SUDO) apt-get update -qq && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi
endef

deps-play:
	$(call install_missing,$(PACKAGES_PLAY))

deps-test: deps-play
	$(call install_missing,$(PACKAGES_TEST))

deps-bench: deps-play
	$(call install_missing,$(PACKAGES_BENCH))

deps: deps-play deps-test deps-bench

# Configuring again is cheap and lets the build see packages installed since the last run
# (GoogleTest after `make run`, for instance).
CONFIGURE = cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORLENDA_WERROR=$(ORLENDA_WERROR) >/dev/null

configure: deps-test
	$(CONFIGURE)

# The game, its content and the desktop files only: no tests, no benchmarks.
game: deps-play
	$(CONFIGURE)
	cmake --build $(BUILD) -j $(JOBS) --target orlenda icon

build: deps-test
	$(CONFIGURE)
	cmake --build $(BUILD) -j $(JOBS)

run: game
	cd $(BUILD)/game && ./orlenda

test: build
	cd $(BUILD) && ctest --output-on-failure --no-tests=error -j 2 --timeout 600

bench: deps-bench build
	cmake --build $(BUILD) --target benchmarks -j $(JOBS)
	bash bench/run.sh $(BUILD)

# Side by side with a locally installed SuperTuxKart (never installed by these targets; not run by CI).
bench-compare: deps-test game
	bash bench/compare_supertuxkart.sh $(BUILD)

fuzz: deps-bench
	bash bench/fuzz.sh

sanitize: deps-test deps-bench
	bash bench/sanitize.sh

# make install [PREFIX=/usr/local] [DESTDIR=/tmp/stage]
install: game
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix $(PREFIX) --strip

# A .deb for /usr in $(BUILD)/package.
package: game
	$(call install_missing,dpkg-dev)
	cd $(BUILD) && cpack -G DEB -B package

# Every C++ file the project owns, formatted in place by the repository's .clang-format.
CLANG_FORMAT ?= clang-format-14
FORMAT_FILES  = git ls-files -z -- 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'bench/*.h' \
                'fuzz/*.cpp' 'fuzz/*.h' 'tools/*.cpp' 'tools/*.h'

format:
	$(FORMAT_FILES) | xargs -0 $(CLANG_FORMAT) -i --style=file

# Fails, naming each file and line, when a file is not formatted.
format-check:
	$(FORMAT_FILES) | xargs -0 $(CLANG_FORMAT) --dry-run --Werror --style=file

clean:
	rm -rf $(BUILD)
