// libFuzzer entry: a record file or ghost file read back from disk, whatever it holds, is either
// accepted whole or refused with a reason; never a crash, a hang or a huge allocation.
#include <cstddef>
#include <cstdint>
#include <string>

#include "records/course_record.h"
#include "records/ghost_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    CourseRecord record;
    std::string error;
    using records::FileState;
    if (ParseCourseRecord(bytes, "map2", "normal", &record, &error) == FileState::Ok) {
        // What was accepted must come back the same through the writer.
        CourseRecord again;
        if (ParseCourseRecord(FormatCourseRecord(record, "map2", "normal"), "map2", "normal", &again, &error) !=
            FileState::Ok)
            __builtin_trap();
    }
    GhostRun run;
    if (DecodeGhost(bytes, &run, &error) == FileState::Ok && run.frames.size() > kMostGhostFrames) __builtin_trap();
    return 0;
}
