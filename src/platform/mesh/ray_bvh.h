// A bounding-volume hierarchy over a mesh's triangles for nearest-hit ray queries.
//
// Built once (binned surface-area heuristic, up to 4 triangles a leaf) from the mesh's positions.
// Queries walk the tree nearest child first and prune by the best hit so far. The triangle test is
// two-sided Moller-Trumbore; equal distances resolve to the lower face index, so the answer is the
// same as the brute-force scan over all faces in order.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/math/d3dx_math.h"

namespace platform::mesh {

class Mesh;

struct RayHit {
    std::uint32_t face = 0;
    float u = 0, v = 0, distance = 0;
};

class RayBvh {
public:
    void Build(const Mesh& mesh);
    // Nearest hit with distance >= 0 along origin + t * direction; false when there is none.
    bool Intersect(const D3DXVECTOR3& origin, const D3DXVECTOR3& direction, RayHit* hit) const;
    // The same answer by testing every face in order (the reference the tree is checked against).
    static bool IntersectBruteForce(const Mesh& mesh, const D3DXVECTOR3& origin, const D3DXVECTOR3& direction,
                                    RayHit* hit);

    std::size_t NodeCount() const { return nodes.size(); }

    struct Triangle {
        D3DXVECTOR3 v0, e1, e2;
        std::uint32_t face;
    };

private:
    struct Node {
        float lo[3];
        std::uint32_t first; // first triangle (leaf) or right child (inner; left child is the next node)
        float hi[3];
        std::uint32_t count; // triangles of a leaf; 0 for an inner node
    };
    std::uint32_t BuildNode(std::uint32_t first, std::uint32_t count, std::vector<D3DXVECTOR3>& centroids, int depth);
    // Where a range splits into two children (binned surface-area heuristic over the centroids'
    // widest axis); reorders the range so the left child's triangles come first.
    std::uint32_t Split(std::uint32_t first, std::uint32_t count, std::vector<D3DXVECTOR3>& centroids, int depth);
    void Reorder(std::uint32_t first, const std::vector<std::uint32_t>& order, std::vector<D3DXVECTOR3>& centroids);
    void Bounds(std::uint32_t first, std::uint32_t count, float lo[3], float hi[3]) const;

    std::vector<Node> nodes;
    std::vector<Triangle> triangles;
};

} // namespace platform::mesh
