// Resident memory from /proc/self/status (kilobyte lines), the rest from the device and the mixer.
#include "app/automation/memory_report.h"

#include <cstdio>
#include <malloc.h>
#include <fstream>
#include <map>
#include <sstream>

#include "platform/audio/sound_buffer.h"
#include "platform/gpu/device.h"

namespace {

// VmHWM, VmRSS, RssAnon, RssFile, RssShmem in kilobytes; missing lines read 0.
std::map<std::string, double> StatusKilobytes() {
    std::map<std::string, double> values;
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        std::istringstream fields(line);
        std::string name;
        double kilobytes = 0;
        if (fields >> name >> kilobytes && !name.empty() && name.back() == ':')
            values[name.substr(0, name.size() - 1)] = kilobytes;
    }
    return values;
}

} // namespace

std::string MemoryReport(const gpu::Device* device) {
    std::map<std::string, double> kb = StatusKilobytes();
    gpu::DeviceMemory held = device ? device->Memory() : gpu::DeviceMemory{};
    // Everything malloc handed out (the driver's storage included) and what it keeps free for reuse.
    struct mallinfo2 heap = mallinfo2();
    constexpr double kMiB = 1024.0 * 1024.0;
    char line[320];
    std::snprintf(line, sizeof line,
                  "memory peak_rss_mb=%.1f rss_mb=%.1f anon_mb=%.1f file_mb=%.1f shmem_mb=%.1f malloc_used_mb=%.1f "
                  "malloc_free_mb=%.1f images_mb=%.1f geometry_mb=%.1f sounds_mb=%.1f\n",
                  kb["VmHWM"] / 1024.0, kb["VmRSS"] / 1024.0, kb["RssAnon"] / 1024.0, kb["RssFile"] / 1024.0,
                  kb["RssShmem"] / 1024.0, double(heap.uordblks + heap.hblkhd) / kMiB, double(heap.fordblks) / kMiB,
                  double(held.imageBytes) / kMiB, double(held.geometryBytes) / kMiB,
                  double(platform::audio::SoundBuffer::MixerBytes()) / kMiB);
    return line;
}
