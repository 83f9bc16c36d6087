// The --stats `memory` line: the process's peak and present resident memory by kind, and the parts
// the game can count itself (driver-side images and geometry, the mixer's samples).
#pragma once

#include <string>

namespace gpu {
class Device;
}

// "memory peak_rss_mb=… rss_mb=… anon_mb=… file_mb=… shmem_mb=… malloc_used_mb=… malloc_free_mb=…
// images_mb=… geometry_mb=… sounds_mb=…\n";
// taken while the resources are alive (the device may be null).
std::string MemoryReport(const gpu::Device* device);
