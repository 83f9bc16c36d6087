#!/usr/bin/env bash
# A player's install, from the finished build (nothing is rebuilt): `cmake --install` into a
# staging root and the .deb unpacked with dpkg -x both give a game that starts from `/` with no
# flags pointing at its content, reaches the race and asks in Japanese under --lang ja; the desktop
# entry and the AppStream metainfo pass their validators; the package depends on runtime libraries only.
# Usage: install_package.sh GAME_DIR BUILD_DIR
set -u
source "$(dirname "$0")/lib.sh"
build_dir=$(cd "${2:?build folder}" && pwd)
if [ ! -d "$build_dir/game/data" ] || [ ! -f "$build_dir/cmake_install.cmake" ]; then
    e2e_skip "no built game in $build_dir"
fi
e2e_scratch
printf '10 down RETURN\n12 up RETURN\n' > "$work/enter.txt"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Runs an installed binary from / and checks that the race starts (scene 1 by frame 400).
race_from_root() {
    local binary=$1 rc=0
    (cd / && env -u ORLENDA_DATA timeout 120 "$binary" --headless --frames 400 --input "$work/enter.txt" \
        --trace "$work/trace.jsonl" >"$work/out.txt" 2>"$work/err.txt") || rc=$?
    local last
    last=$(tail -n 1 "$work/trace.jsonl" 2>/dev/null)
    if [ $rc -ne 0 ] || [[ "$last" != '{"frame":400,"scene":1,'* ]]; then
        fail "$binary from /: exit $rc, last trace line ${last:0:60}"; head -5 "$work/err.txt"
    else
        echo "ok   $binary reaches the race from /"
    fi
}

# The installed game finds its Japanese catalog in ../share/locale: Escape on the title asks in Japanese.
asks_in_japanese() {
    local binary=$1
    printf '3 down ESCAPE\n4 up ESCAPE\n' > "$work/escape.txt"
    (cd / && env -u ORLENDA_DATA timeout 60 "$binary" --headless --lang ja --frames 10 --input "$work/escape.txt" \
        >"$work/out.txt" 2>"$work/err.txt")
    if grep -qxF '[Orlenda] ゲームを終了しますか？ -> No' "$work/err.txt"; then echo "ok   $binary asks in Japanese"
    else fail "$binary --lang ja: $(grep -m1 -e '^\[' -e '^language' "$work/err.txt")"
    fi
}

# make install: PREFIX /usr/local under a DESTDIR.
DESTDIR="$work/stage" cmake --install "$build_dir" --prefix /usr/local >/dev/null || fail "cmake --install"
root="$work/stage/usr/local"
for file in bin/orlenda share/orlenda/data/Map/map2.map share/orlenda/Shader/Sample.fx \
            share/icons/hicolor/256x256/apps/orlenda.png share/locale/ja/LC_MESSAGES/orlenda.mo; do
    [ -s "$root/$file" ] || fail "$file not installed"
done
desktop=$(ls "$root"/share/applications/*.desktop 2>/dev/null | head -1)
metainfo=$(ls "$root"/share/metainfo/*.metainfo.xml 2>/dev/null | head -1)
[ -n "$desktop" ] && [ -n "$metainfo" ] || fail "no desktop entry or metainfo installed"
# A 256 x 256 PNG: the signature, then IHDR's width and height.
icon_head=$(od -An -tx1 -N24 "$root/share/icons/hicolor/256x256/apps/orlenda.png" | tr -d ' \n')
[ "$icon_head" = "89504e470d0a1a0a0000000d4948445200000100""00000100" ] || fail "the icon is not a 256 x 256 PNG"
grep -q '^Categories=Game;ArcadeGame;$' "$desktop" || fail "desktop entry categories"
grep -q '<caption>' "$metainfo" && grep -q '<description>' "$metainfo" || fail "metainfo lacks a description or caption"
if desktop-file-validate "$desktop" && appstreamcli validate --no-net "$metainfo" >"$work/as.txt"; then
    echo "ok   desktop-file-validate and appstreamcli validate pass"
else
    fail "validators (desktop-file-utils and appstream, from make deps-test)"; cat "$work/as.txt"
fi
race_from_root "$root/bin/orlenda"
asks_in_japanese "$root/bin/orlenda"

# make package: the .deb, unpacked as dpkg would.
if (cd "$work" && cpack -G DEB --config "$build_dir/CPackConfig.cmake" -B "$work/package" >"$work/cpack.txt" 2>&1); then
    deb=$(ls "$work"/package/*.deb | head -1)
    depends=$(dpkg-deb -f "$deb" Depends)
    if [[ "$depends" == *-dev* ]] || [[ "$depends" != *libsdl2-2.0-0* ]] || [[ "$depends" != *libopenal1* ]]; then
        fail "package dependencies: $depends"
    else
        echo "ok   $(basename "$deb") depends on: $depends"
    fi
    dpkg -x "$deb" "$work/deb-root"
    [ "$("$work/deb-root/usr/bin/orlenda" --version)" = "orlenda $(dpkg-deb -f "$deb" Version)" ] ||
        fail "--version does not match the package version"
    race_from_root "$work/deb-root/usr/bin/orlenda"
    asks_in_japanese "$work/deb-root/usr/bin/orlenda"
else
    fail "cpack"; tail -20 "$work/cpack.txt"
fi

if [ "$failures" -ne 0 ]; then echo "$failures failures"; exit 1; fi
echo "PASS: installed and packaged game start from / and reach the race"
