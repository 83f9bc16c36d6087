// The one list of the game's singletons for tests: every fixture starts and ends from a clean game.
#pragma once

namespace testsupport {

// Drops every game singleton and releases the keys and the key latches. The order lets nothing
// outlive what it points into: the scene before the racers, the racers before the course and the
// map, the map's effects before the shaders, cached meshes before the device they were made on,
// the application last.
void ResetSingletons();

// The build's Japanese catalog, as `--lang ja` uses it, for tests of the game's own texts (which are
// Japanese); ResetSingletons goes back to the English texts written in the code.
void UseJapanese();

} // namespace testsupport
