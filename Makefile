# Orlenda — the two commands a player or a maintainer needs: `make run` and `make test`.
BUILD   ?= build
JOBS    ?= $(shell nproc)
# ON turns compiler warnings into errors (CI sets it).
ORLENDA_WERROR ?= OFF
PACKAGES = cmake ninja-build g++ pkg-config libsdl2-dev libsdl2-ttf-dev libepoxy-dev libopenal-dev \
           libpng-dev libinih-dev fonts-ipafont-gothic fonts-dejavu-core libgtest-dev libgmock-dev \
           libbenchmark-dev xvfb xauth libgl1-mesa-dri clang libclang-rt-14-dev python3

# clang-format for `make format` / `make format-check`.
PACKAGES += clang-format

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: all deps configure build run test bench fuzz sanitize format format-check clean

all: build

# Installs only the Debian packages that are missing, so a second run costs nothing.
deps:
	@missing=""; for p in $(PACKAGES); do dpkg -s $$p >/dev/null 2>&1 || missing="$$missing $$p"; done; \
	if [ -n "$$missing" ]; then \
	  echo "installing:$$missing"; \
	  $(SUDO) apt-get update -qq && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORLENDA_WERROR=$(ORLENDA_WERROR)

configure: deps $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	cd $(BUILD)/game && ./orlenda

test: build
	cd $(BUILD) && ctest --output-on-failure -j 2 --timeout 600

bench: build
	cmake --build $(BUILD) --target benchmarks -j $(JOBS)
	bash bench/run.sh $(BUILD)

fuzz: deps
	bash bench/fuzz.sh

sanitize: deps
	bash bench/sanitize.sh

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
