// Course id and map checksum, both taken from the map file the race loads.
#include "records/course_key.h"

#include "map/map_manager.h"
#include "platform/fs/atomic_file.h"
#include "platform/fs/directory.h"
#include "records/save_folder.h"

namespace records {

std::string CourseMapPath() { return MapManager::kMapPath; }

std::string CourseId() { return platform::fs::FileStem(CourseMapPath()); }

std::uint64_t CourseMapChecksum() {
    std::string bytes;
    if (!platform::fs::ReadWholeFile(CourseMapPath(), &bytes, nullptr)) return 0;
    return Checksum(bytes);
}

} // namespace records
