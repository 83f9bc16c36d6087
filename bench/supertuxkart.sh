# The SuperTuxKart yardstick both bench scripts share (sourced, not run): where the program is, the
# flags of its lowest settings, and its frames/s from a --profile-time log. A player on a weak machine
# turns everything off in both games, so this is the race ours is held against.
#   env: STK (the program; default supertuxkart on PATH or /usr/games/supertuxkart),
#        STK_PROFILE_SECONDS (30: seconds of race in a drawn run)

stk_program() {
    local stk=${STK:-$(command -v supertuxkart || true)}
    [ -z "$stk" ] && [ -x /usr/games/supertuxkart ] && stk=/usr/games/supertuxkart
    [ -n "$stk" ] && [ -x "$stk" ] && echo "$stk"
}

# sandtrack with 5 karts at 1280 x 720 in a window, every effect off: no glow, bloom, light shafts,
# anti-aliasing (MLAA), ambient occlusion, image-based lighting, advanced pipeline, high-definition
# textures, shadows or anisotropic filtering. MLAA, the HD textures and 16x anisotropic filtering
# alone take it from about 115 to 28 frames/s on llvmpipe.
stk_race=(--track=sandtrack --numkarts=5)
stk_lowest=(-w --screensize=1280x720 "${stk_race[@]}" --disable-glow --disable-bloom --disable-light-shaft
    --disable-mlaa --disable-ssao --disable-ibl --disable-dynamic-lights --disable-hd-textures --shadows=0
    --anisotropic=0)

# SuperTuxKart's own verdict on a --profile-time run: "Number of frames: N time T, Average FPS: F".
stk_fps() { sed -n 's/.*Average FPS: \([0-9.]*\).*/\1/p' "$1" | tail -1; }

# "OURS / THEIRS" as "0.42x", or "-" when either is missing.
stk_ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (a + 0 > 0 && b + 0 > 0) printf "%.2fx", a / b; else printf "-" }'; }
