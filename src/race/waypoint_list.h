// WaypointList: the automatic pilot's queue of points to fly through, as a fixed-size value.
//
// The pilot only ever reads the first two entries; while it detours it pushes at least one point a
// update and takes at most one, so an entry pushed deeper than the capacity can never come back to
// the front before the queue is cleared. Dropping the deepest entry when full therefore changes
// nothing the pilot does, and keeps the race state free of heap memory.
#pragma once

#include <array>
#include <cstdint>

#include "platform/math/d3dx_math.h"

namespace race {

class WaypointList {
public:
    static constexpr std::uint8_t kCapacity = 16;

    bool empty() const { return count == 0; }
    std::uint8_t size() const { return count; }
    void clear() {
        points.fill(D3DXVECTOR3{});
        count = 0;
    }
    const D3DXVECTOR3& front() const { return points[0]; }
    const D3DXVECTOR3& operator[](std::uint8_t i) const { return points[i]; }

    void push_front(const D3DXVECTOR3& point) {
        const std::uint8_t keep = count < kCapacity ? count : kCapacity - 1;
        for (std::uint8_t i = keep; i > 0; --i) points[i] = points[i - 1];
        points[0] = point;
        count = keep + 1;
    }
    void push_back(const D3DXVECTOR3& point) {
        if (count < kCapacity) points[count++] = point;
    }
    void pop_front() {
        if (count == 0) return;
        for (std::uint8_t i = 1; i < count; ++i) points[i - 1] = points[i];
        points[--count] = D3DXVECTOR3{};
    }

    // Unused slots are kept zero, so two equal queues are equal bytes.
    template <typename Self, typename Visitor> static void Fields(Self& s, Visitor& v) {
        v("waypointCount", s.count);
        if (s.count > kCapacity) v.Fail("waypointCount");
        for (auto& point : s.points) v("waypoint", point);
    }

private:
    std::array<D3DXVECTOR3, kCapacity> points{};
    std::uint8_t count = 0;
};

} // namespace race
