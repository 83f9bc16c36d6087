// Reads the body of a DeclData object (the vertex-element form modelling tools export) into a mesh.
#pragma once

#include <functional>
#include <string>

#include "platform/xfile/xfile.h"
#include "platform/xfile/xfile_lexer.h"

namespace platform::xfile {

// Fills the mesh's normals and texture coordinates from the elements that carry them (float3 normal
// and float2 texture coordinates 0), unless the mesh has its own already; every other element is
// passed to `noteSkipped` by name. Throws ParseError when the values do not fit the mesh's vertices.
void ReadDeclData(Lexer& lex, MeshData& mesh, int line, const std::function<void(const std::string&)>& noteSkipped);

} // namespace platform::xfile
