// libFuzzer entry for the map file loader: any bytes load into a consistent map or stop cleanly.
#include <cstddef>
#include <cstdint>

#include "map/map_manager.h"
#include "map/map_object.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    MapManager& map = MapManager::Instance();
    map.LoadMapFromMemory(data, size);
    for (NEditer::MapObject* object : map.objects) {
        if (object->name.empty() || object->name.size() > 127 || object->mesh) __builtin_trap();
    }
    for (const auto& [kind, definition] : map.definitions)
        if (kind.size() > 127 || !definition) __builtin_trap();
    map.ClearMap();
    return 0;
}
