// Bounding-volume hierarchy and the D3DXIntersect ray test built on it.
#include "platform/mesh/ray_bvh.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/mesh/mesh.h"

namespace platform::mesh {
namespace {

constexpr std::uint32_t kLeafSize = 4;
constexpr int kBins = 12;
constexpr int kSahDepth = 32;

RayBvh::Triangle MakeTriangle(const Mesh& mesh, std::uint32_t face) {
    const std::uint16_t* idx = mesh.Indices() + std::size_t(face) * 3;
    D3DXVECTOR3 p0 = mesh.Position(idx[0]), p1 = mesh.Position(idx[1]), p2 = mesh.Position(idx[2]);
    return {p0, p1 - p0, p2 - p0, face};
}

// Two-sided Moller-Trumbore; the single triangle test both the tree and the brute force use.
inline bool HitTriangle(const RayBvh::Triangle& tri, const D3DXVECTOR3& o, const D3DXVECTOR3& d, RayHit* best,
                        bool haveBest) {
    D3DXVECTOR3 p(d.y * tri.e2.z - d.z * tri.e2.y, d.z * tri.e2.x - d.x * tri.e2.z, d.x * tri.e2.y - d.y * tri.e2.x);
    float det = tri.e1.x * p.x + tri.e1.y * p.y + tri.e1.z * p.z;
    if (det == 0.0f) return false;
    float inv = 1.0f / det;
    D3DXVECTOR3 s = o - tri.v0;
    float u = (s.x * p.x + s.y * p.y + s.z * p.z) * inv;
    if (!(u >= 0.0f && u <= 1.0f)) return false;
    D3DXVECTOR3 q(s.y * tri.e1.z - s.z * tri.e1.y, s.z * tri.e1.x - s.x * tri.e1.z, s.x * tri.e1.y - s.y * tri.e1.x);
    float v = (d.x * q.x + d.y * q.y + d.z * q.z) * inv;
    if (!(v >= 0.0f && u + v <= 1.0f)) return false;
    float t = (tri.e2.x * q.x + tri.e2.y * q.y + tri.e2.z * q.z) * inv;
    if (!(t >= 0.0f)) return false;
    if (haveBest && (t > best->distance || (t == best->distance && tri.face > best->face))) return false;
    *best = {tri.face, u, v, t};
    return true;
}

float SurfaceArea(const float lo[3], const float hi[3]) {
    float dx = hi[0] - lo[0], dy = hi[1] - lo[1], dz = hi[2] - lo[2];
    return dx * dy + dy * dz + dz * dx;
}

// A bin of the surface-area split: the box around its triangles and how many there are.
struct Bin {
    float lo[3] = {1e30f, 1e30f, 1e30f}, hi[3] = {-1e30f, -1e30f, -1e30f};
    std::uint32_t n = 0;
};

void Grow(Bin& into, const float lo[3], const float hi[3]) {
    for (int a = 0; a < 3; ++a) {
        into.lo[a] = std::min(into.lo[a], lo[a]);
        into.hi[a] = std::max(into.hi[a], hi[a]);
    }
}

// The axis along which the centroids of a range spread widest, with their lowest value and extent on it.
int WidestCentroidAxis(const std::vector<D3DXVECTOR3>& centroids, std::uint32_t first, std::uint32_t count,
                       float* axisLo, float* extent) {
    float clo[3] = {1e30f, 1e30f, 1e30f}, chi[3] = {-1e30f, -1e30f, -1e30f};
    for (std::uint32_t i = first; i < first + count; ++i) {
        const float c[3] = {centroids[i].x, centroids[i].y, centroids[i].z};
        for (int a = 0; a < 3; ++a) {
            clo[a] = std::min(clo[a], c[a]);
            chi[a] = std::max(chi[a], c[a]);
        }
    }
    int axis = 0;
    for (int a = 1; a < 3; ++a)
        if (chi[a] - clo[a] > chi[axis] - clo[axis]) axis = a;
    *axisLo = clo[axis];
    *extent = chi[axis] - clo[axis];
    return axis;
}

// The first bin of the right side for the cheapest split by surface area; the middle bin when no
// split leaves triangles on both sides.
int CheapestBinSplit(const Bin (&bins)[kBins]) {
    float bestCost = 1e30f;
    int bestSplit = kBins / 2;
    for (int s = 1; s < kBins; ++s) {
        Bin l, r;
        for (int b = 0; b < kBins; ++b) {
            Bin& into = b < s ? l : r;
            into.n += bins[b].n;
            Grow(into, bins[b].lo, bins[b].hi);
        }
        if (l.n == 0 || r.n == 0) continue;
        float cost = SurfaceArea(l.lo, l.hi) * l.n + SurfaceArea(r.lo, r.hi) * r.n;
        if (cost < bestCost) {
            bestCost = cost;
            bestSplit = s;
        }
    }
    return bestSplit;
}

} // namespace

void RayBvh::Bounds(std::uint32_t first, std::uint32_t count, float lo[3], float hi[3]) const {
    for (int a = 0; a < 3; ++a) {
        lo[a] = std::numeric_limits<float>::max();
        hi[a] = -std::numeric_limits<float>::max();
    }
    for (std::uint32_t i = first; i < first + count; ++i) {
        const Triangle& t = triangles[i];
        D3DXVECTOR3 pts[3] = {t.v0, t.v0 + t.e1, t.v0 + t.e2};
        for (const D3DXVECTOR3& p : pts) {
            const float c[3] = {p.x, p.y, p.z};
            for (int a = 0; a < 3; ++a) {
                lo[a] = std::min(lo[a], c[a]);
                hi[a] = std::max(hi[a], c[a]);
            }
        }
    }
    // A little slack so rounding in the triangle test never lands a hit outside its box.
    for (int a = 0; a < 3; ++a) {
        float pad = (hi[a] - lo[a]) * 1e-5f + 1e-5f * std::max(std::fabs(lo[a]), std::fabs(hi[a])) + 1e-6f;
        lo[a] -= pad;
        hi[a] += pad;
    }
}

std::uint32_t RayBvh::BuildNode(std::uint32_t first, std::uint32_t count, std::vector<D3DXVECTOR3>& centroids,
                                int depth) {
    std::uint32_t index = std::uint32_t(nodes.size());
    nodes.push_back({});
    Node node{};
    Bounds(first, count, node.lo, node.hi);
    node.first = first;
    node.count = count;
    if (count > kLeafSize) {
        std::uint32_t mid = Split(first, count, centroids, depth);
        BuildNode(first, mid - first, centroids, depth + 1);
        node.first = BuildNode(mid, first + count - mid, centroids, depth + 1);
        node.count = 0;
    }
    nodes[index] = node;
    return index;
}

std::uint32_t RayBvh::Split(std::uint32_t first, std::uint32_t count, std::vector<D3DXVECTOR3>& centroids, int depth) {
    float axisLo = 0.0f, extent = 0.0f;
    const int axis = WidestCentroidAxis(centroids, first, count, &axisLo, &extent);
    const std::uint32_t half = first + count / 2;
    // Past kSahDepth the split is a plain halving, which bounds the depth of any tree.
    if (!(extent > 0 && depth < kSahDepth)) return half;
    auto binOf = [&](std::uint32_t i) {
        return std::min(kBins - 1, int(((&centroids[i].x)[axis] - axisLo) / extent * kBins));
    };
    Bin bins[kBins];
    for (std::uint32_t i = first; i < first + count; ++i) {
        Bin& b = bins[binOf(i)];
        ++b.n;
        float lo[3], hi[3];
        Bounds(i, 1, lo, hi);
        Grow(b, lo, hi);
    }
    const int bestSplit = CheapestBinSplit(bins);
    std::vector<std::uint32_t> order(count);
    for (std::uint32_t i = 0; i < count; ++i) order[i] = first + i;
    auto split =
        std::stable_partition(order.begin(), order.end(), [&](std::uint32_t i) { return binOf(i) < bestSplit; });
    const std::uint32_t leftCount = std::uint32_t(split - order.begin());
    if (leftCount == 0 || leftCount >= count) return half;
    Reorder(first, order, centroids);
    return first + leftCount;
}

void RayBvh::Reorder(std::uint32_t first, const std::vector<std::uint32_t>& order,
                     std::vector<D3DXVECTOR3>& centroids) {
    const std::size_t count = order.size();
    std::vector<Triangle> tris(count);
    std::vector<D3DXVECTOR3> cents(count);
    for (std::size_t i = 0; i < count; ++i) {
        tris[i] = triangles[order[i]];
        cents[i] = centroids[order[i]];
    }
    std::copy(tris.begin(), tris.end(), triangles.begin() + first);
    std::copy(cents.begin(), cents.end(), centroids.begin() + first);
}

void RayBvh::Build(const Mesh& mesh) {
    nodes.clear();
    triangles.clear();
    std::uint32_t faces = mesh.GetNumFaces();
    if (faces == 0) return;
    triangles.reserve(faces);
    std::vector<D3DXVECTOR3> centroids;
    centroids.reserve(faces);
    for (std::uint32_t f = 0; f < faces; ++f) {
        triangles.push_back(MakeTriangle(mesh, f));
        const Triangle& t = triangles.back();
        centroids.push_back(t.v0 + (t.e1 + t.e2) * (1.0f / 3.0f));
    }
    nodes.reserve(std::size_t(faces) / 2 + 1);
    BuildNode(0, faces, centroids, 0);
}

bool RayBvh::Intersect(const D3DXVECTOR3& o, const D3DXVECTOR3& d, RayHit* hit) const {
    if (nodes.empty() || (d.x == 0 && d.y == 0 && d.z == 0)) return false;
    // Huge finite inverses keep (plane - origin) * inverse free of 0 * inf for axis-parallel rays.
    auto inverse = [](float c) { return std::fabs(c) < 1e-30f ? std::copysign(1e30f, c) : 1.0f / c; };
    const float inv[3] = {inverse(d.x), inverse(d.y), inverse(d.z)};
    const float org[3] = {o.x, o.y, o.z};
    RayHit best;
    bool found = false;
    auto enter = [&](const Node& n, float* tNear) {
        float t0 = 0.0f, t1 = found ? best.distance : std::numeric_limits<float>::infinity();
        for (int a = 0; a < 3; ++a) {
            float ta = (n.lo[a] - org[a]) * inv[a], tb = (n.hi[a] - org[a]) * inv[a];
            if (ta > tb) std::swap(ta, tb);
            t0 = std::max(t0, ta);
            t1 = std::min(t1, tb);
        }
        *tNear = t0;
        return t0 <= t1;
    };
    std::uint32_t stack[96]; // deeper than any tree: 32 SAH levels, then halving of <= 2^24 faces
    int top = 0;
    stack[top++] = 0;
    while (top > 0) {
        const Node& n = nodes[stack[--top]];
        float tNear;
        if (!enter(n, &tNear)) continue;
        if (n.count > 0) {
            for (std::uint32_t i = n.first; i < n.first + n.count; ++i)
                if (HitTriangle(triangles[i], o, d, &best, found)) found = true;
            continue;
        }
        std::uint32_t left = std::uint32_t(&n - nodes.data()) + 1, right = n.first;
        float tl, tr;
        bool hl = enter(nodes[left], &tl), hr = enter(nodes[right], &tr);
        if (hl && hr) {
            // Push the farther child first so the nearer one is searched first.
            if (tl <= tr) {
                stack[top++] = right;
                stack[top++] = left;
            } else {
                stack[top++] = left;
                stack[top++] = right;
            }
        } else if (hl) {
            stack[top++] = left;
        } else if (hr) {
            stack[top++] = right;
        }
    }
    if (found && hit) *hit = best;
    return found;
}

bool RayBvh::IntersectBruteForce(const Mesh& mesh, const D3DXVECTOR3& o, const D3DXVECTOR3& d, RayHit* hit) {
    if (d.x == 0 && d.y == 0 && d.z == 0) return false;
    RayHit best;
    bool found = false;
    for (std::uint32_t f = 0; f < mesh.GetNumFaces(); ++f)
        if (HitTriangle(MakeTriangle(mesh, f), o, d, &best, found)) found = true;
    if (found && hit) *hit = best;
    return found;
}

} // namespace platform::mesh

bool D3DXIntersect(platform::mesh::Mesh* mesh, const D3DXVECTOR3* rayPos, const D3DXVECTOR3* rayDir, BOOL* hit,
                   DWORD* faceIndex, float* u, float* v, float* dist) {
    if (hit) *hit = FALSE;
    if (!mesh || !rayPos || !rayDir) return false;
    platform::mesh::RayHit result;
    bool found = mesh->Bvh().Intersect(*rayPos, *rayDir, &result);
    if (hit) *hit = found ? TRUE : FALSE;
    if (found) {
        if (faceIndex) *faceIndex = result.face;
        if (u) *u = result.u;
        if (v) *v = result.v;
        if (dist) *dist = result.distance;
    }
    return true;
}
