// OpenGL device: vertex layouts, the streaming buffers, render-state translation and the draws.
#include "platform/gpu/gl/gl_device.h"

#include <algorithm>
#include <cstring>

#include "platform/gpu/gl/gl_effect.h"
#include "platform/gpu/gl/gl_program.h"

namespace gpu {
namespace {

GLenum PrimitiveMode(D3DPRIMITIVETYPE type) {
    switch (type) {
    case D3DPT_TRIANGLESTRIP: return GL_TRIANGLE_STRIP;
    case D3DPT_TRIANGLEFAN: return GL_TRIANGLE_FAN;
    default: return GL_TRIANGLES;
    }
}

GLenum BlendFactor(DWORD blend) {
    switch (blend) {
    case D3DBLEND_ZERO: return GL_ZERO;
    case D3DBLEND_SRCCOLOR: return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR: return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA: return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA: return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA: return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA: return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR: return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR: return GL_ONE_MINUS_DST_COLOR;
    default: return GL_ONE;
    }
}

GLenum BlendOp(DWORD op) {
    switch (op) {
    case D3DBLENDOP_SUBTRACT: return GL_FUNC_SUBTRACT;
    case D3DBLENDOP_REVSUBTRACT: return GL_FUNC_REVERSE_SUBTRACT;
    case D3DBLENDOP_MIN: return GL_MIN;
    case D3DBLENDOP_MAX: return GL_MAX;
    default: return GL_FUNC_ADD;
    }
}

GLenum CompareFunc(DWORD func) {
    switch (func) {
    case D3DCMP_NEVER: return GL_NEVER;
    case D3DCMP_LESS: return GL_LESS;
    case D3DCMP_EQUAL: return GL_EQUAL;
    case D3DCMP_GREATER: return GL_GREATER;
    case D3DCMP_NOTEQUAL: return GL_NOTEQUAL;
    case D3DCMP_GREATEREQUAL: return GL_GEQUAL;
    case D3DCMP_ALWAYS: return GL_ALWAYS;
    default: return GL_LEQUAL;
    }
}

const void* Offset(std::size_t bytes) { return reinterpret_cast<const void*>(bytes); }

// Points attributes 0..5 at the layout of a vertex format (see device.h for the locations).
void SetupAttributes(DWORD fvf, std::uint32_t stride) {
    std::size_t offset = 0;
    DWORD position = fvf & D3DFVF_POSITION_MASK;
    auto attribute = [&](GLuint location, GLint size, GLenum type, GLboolean normalized, std::size_t bytes) {
        glEnableVertexAttribArray(location);
        glVertexAttribPointer(location, size, type, normalized, GLsizei(stride), Offset(offset));
        offset += bytes;
    };
    if (position == D3DFVF_XYZRHW) {
        attribute(0, 4, GL_FLOAT, GL_FALSE, 16);
    } else {
        attribute(0, 3, GL_FLOAT, GL_FALSE, 12);
        int betas = position >= D3DFVF_XYZB1 && position <= D3DFVF_XYZB5 ? int(position - D3DFVF_XYZRHW) / 2 : 0;
        bool packedIndices = betas > 0 && (fvf & D3DFVF_LASTBETA_UBYTE4);
        int weights = std::min(betas - (packedIndices ? 1 : 0), 4);
        if (weights > 0) attribute(4, weights, GL_FLOAT, GL_FALSE, 4 * std::size_t(weights));
        offset += 4 * std::size_t(std::max(0, betas - (packedIndices ? 1 : 0) - weights));
        if (packedIndices) attribute(5, 4, GL_UNSIGNED_BYTE, GL_FALSE, 4);
    }
    if (fvf & D3DFVF_NORMAL) attribute(1, 3, GL_FLOAT, GL_FALSE, 12);
    if (fvf & D3DFVF_DIFFUSE) attribute(2, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, 4);
    if (fvf & D3DFVF_SPECULAR) offset += 4;
    // Set 0 is the texture coordinate; further sets carry per-vertex data from location 6 on.
    const int sets = std::min(int((fvf & D3DFVF_TEXCOUNT_MASK) >> 8), 8);
    for (int i = 0; i < sets; ++i) {
        const std::uint32_t floats = D3DXTexCoordFloats(fvf, i);
        attribute(i == 0 ? 3 : GLuint(5 + i), GLint(floats), GL_FLOAT, GL_FALSE, 4 * std::size_t(floats));
    }
}

} // namespace

// ---- streaming buffer ----------------------------------------------------------------------------

void StreamBuffer::Create(std::size_t capacity) {
    glGenBuffers(1, &id_);
    glBindBuffer(GL_COPY_WRITE_BUFFER, id_);
    glBufferData(GL_COPY_WRITE_BUFFER, GLsizeiptr(capacity), nullptr, GL_STREAM_DRAW);
    capacity_ = capacity;
    pos_ = 0;
}

void StreamBuffer::Release() {
    if (id_) glDeleteBuffers(1, &id_);
    id_ = 0;
}

std::size_t StreamBuffer::Write(const void* data, std::size_t bytes, std::size_t align) {
    std::size_t offset = (pos_ + align - 1) / align * align;
    glBindBuffer(GL_COPY_WRITE_BUFFER, id_);
    if (offset + bytes > capacity_) {
        // Orphan the storage: draws still reading the old one keep it, writing starts over.
        while (capacity_ < bytes) capacity_ *= 2;
        glBufferData(GL_COPY_WRITE_BUFFER, GLsizeiptr(capacity_), nullptr, GL_STREAM_DRAW);
        offset = 0;
    }
    glBufferSubData(GL_COPY_WRITE_BUFFER, GLintptr(offset), GLsizeiptr(bytes), data);
    pos_ = offset + bytes;
    return offset;
}

// ---- vertex arrays -------------------------------------------------------------------------------

GLuint GlDevice::StreamVao(DWORD fvf, std::uint32_t stride) {
    for (const auto& v : streamVaos_)
        if (v.fvf == fvf && v.stride == stride) return v.vao;
    return StaticVao(vertexStream_.Id(), indexStream_.Id(), fvf, stride);
}

GLuint GlDevice::StaticVao(GLuint vertexBuffer, GLuint indexBuffer, DWORD fvf, std::uint32_t stride) {
    bool stream = vertexBuffer == vertexStream_.Id();
    auto& list = stream ? streamVaos_ : staticVaos_;
    if (!stream)
        for (const auto& v : list)
            if (v.vertexBuffer == vertexBuffer && v.indexBuffer == indexBuffer && v.fvf == fvf && v.stride == stride)
                return v.vao;
    GLuint vao = 0;
    glGenVertexArrays(1, &vao);
    gl_.BindVertexArray(vao);
    gl_.BindArrayBuffer(vertexBuffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer);
    SetupAttributes(fvf, stride);
    list.push_back({vertexBuffer, indexBuffer, fvf, stride, vao});
    return vao;
}

// ---- per-draw state ------------------------------------------------------------------------------

void GlDevice::ApplyRenderStates() {
    if (!renderStatesDirty_) return;
    renderStatesDirty_ = false;
    const DWORD* rs = state_.renderStates;
    BlendState blend;
    blend.enable = rs[D3DRS_ALPHABLENDENABLE] != 0;
    blend.src = BlendFactor(rs[D3DRS_SRCBLEND]);
    blend.dst = BlendFactor(rs[D3DRS_DESTBLEND]);
    blend.op = BlendOp(rs[D3DRS_BLENDOP]);
    bool separate = rs[D3DRS_SEPARATEALPHABLENDENABLE] != 0;
    blend.srcAlpha = separate ? BlendFactor(rs[D3DRS_SRCBLENDALPHA]) : blend.src;
    blend.dstAlpha = separate ? BlendFactor(rs[D3DRS_DESTBLENDALPHA]) : blend.dst;
    blend.opAlpha = separate ? BlendOp(rs[D3DRS_BLENDOPALPHA]) : blend.op;
    gl_.SetBlend(blend);
    DepthState depth;
    depth.test = rs[D3DRS_ZENABLE] != D3DZB_FALSE;
    depth.write = rs[D3DRS_ZWRITEENABLE] != 0;
    depth.func = CompareFunc(rs[D3DRS_ZFUNC]);
    gl_.SetDepth(depth);
    // Targets are stored top row first, which keeps Direct3D's clockwise front faces counter-clockwise
    // in GL's window coordinates: GL's default front face is Direct3D's.
    RasterState raster;
    raster.cull = rs[D3DRS_CULLMODE] != D3DCULL_NONE;
    raster.cullFace = rs[D3DRS_CULLMODE] == D3DCULL_CW ? GL_FRONT : GL_BACK;
    // The device takes no stencil function or operations, so Direct3D's defaults always hold: ALWAYS,
    // and KEEP on fail, depth fail and pass. An enabled stencil test then passes every fragment and
    // writes nothing; a software rasterizer would still pay for it on every pixel, so GL's stays off.
    raster.stencil = false;
    gl_.SetRaster(raster);
}

// A pre-transformed draw lying wholly on the near plane passes a less-equal test against any depth,
// and one on the far plane a greater-equal test: without depth writes the test then changes no pixel
// (the stencil test never does, see ApplyRenderStates), and leaving it out spares a software
// rasterizer a depth read per pixel of every full-screen pass.
bool GlDevice::DepthTestPassesEverywhere(const void* vertices, std::uint32_t count, std::uint32_t stride) const {
    const DWORD* rs = state_.renderStates;
    if ((state_.fvf & D3DFVF_POSITION_MASK) != D3DFVF_XYZRHW || rs[D3DRS_ZENABLE] == D3DZB_FALSE) return false;
    if (rs[D3DRS_ZWRITEENABLE]) return false;
    DWORD func = rs[D3DRS_ZFUNC];
    if (func == D3DCMP_ALWAYS) return true;
    if (func != D3DCMP_LESSEQUAL && func != D3DCMP_GREATEREQUAL) return false;
    const auto* bytes = static_cast<const std::uint8_t*>(vertices);
    for (std::uint32_t i = 0; i < count; ++i) {
        float z = 0;
        std::memcpy(&z, bytes + std::size_t(i) * stride + 8, sizeof z);
        if (func == D3DCMP_LESSEQUAL ? !(z <= 0.0f) : !(z >= 1.0f)) return false;
    }
    return true;
}

// Whether the fixed-function alpha (stage 0 over the texture and the diffuse colour, as the
// built-in program combines them) is 1 at every pixel of this draw.
bool GlDevice::FixedFunctionOpaque(DWORD fvf, const Texture* texture) const {
    const bool preTransformed = (fvf & D3DFVF_POSITION_MASK) == D3DFVF_XYZRHW;
    const bool lit = !preTransformed && state_.renderStates[D3DRS_LIGHTING] != 0;
    const bool diffuseOne = !(fvf & D3DFVF_DIFFUSE) && (!lit || state_.material.Diffuse.a == 1.0f);
    const bool textureOne = !texture || texture->Opaque();
    auto one = [&](DWORD arg) { return arg == D3DTA_TEXTURE ? textureOne : diffuseOne; };
    const DWORD* st = state_.stageStates;
    switch (st[D3DTSS_ALPHAOP]) {
    case D3DTOP_DISABLE: return diffuseOne;
    case D3DTOP_SELECTARG1: return one(st[D3DTSS_ALPHAARG1]);
    case D3DTOP_SELECTARG2: return one(st[D3DTSS_ALPHAARG2]);
    case D3DTOP_MODULATE: return one(st[D3DTSS_ALPHAARG1]) && one(st[D3DTSS_ALPHAARG2]);
    default: return false;
    }
}

bool GlDevice::PrepareDraw(DWORD fvf, GLuint vao) {
    BindTargets();
    ApplyRenderStates();
    if (activeEffect_) {
        if (!activeEffect_->PrepareDraw(viewportW_, viewportH_)) return false;
    } else {
        gl_.UseProgram(fixedFunction_.Program());
        Texture* texture = texture0_.get();
        fixedFunction_.Apply(state_, fvf, texture != nullptr, viewportW_, viewportH_, fixedStateDirty_);
        fixedStateDirty_ = false;
        // An opaque draw under the usual blend writes its own colour: without the blend a software
        // rasterizer need not read the target at every pixel (the sky, a third of the screen).
        // Only with target 0 alone: the program's second output is a transparent zero that the blend
        // keeps out of target 1.
        if (!targets_[1] && BlendKeepsOpaqueSource(*this) && FixedFunctionOpaque(fvf, texture)) {
            BlendState keep;
            keep.enable = false;
            gl_.SetBlend(keep);
            renderStatesDirty_ = true; // the next draw puts the device's blend back
        }
        if (texture) {
            gl_.BindTexture(0, static_cast<GlTexture*>(texture)->Id());
            gl_.BindSampler(0, DeviceSampler(texture->LevelCount()));
        }
    }
    gl_.BindVertexArray(vao);
    return true;
}

void GlDevice::Count(std::uint32_t primitives) {
    ++counters_.draws;
    counters_.primitives += primitives;
}

// ---- draws ---------------------------------------------------------------------------------------

void GlDevice::DrawPrimitiveUP(D3DPRIMITIVETYPE type, std::uint32_t primitiveCount, const void* vertices,
                               std::uint32_t stride) {
    std::uint32_t count = VertexCountOf(type, primitiveCount);
    if (count == 0 || !vertices || stride == 0 || discardDraws_) return;
    std::size_t offset = vertexStream_.Write(vertices, std::size_t(count) * stride, stride);
    if (!PrepareDraw(state_.fvf, StreamVao(state_.fvf, stride))) return;
    if (stride >= 12 && DepthTestPassesEverywhere(vertices, count, stride)) {
        gl_.SetDepth(DepthState{false, false, GL_LEQUAL});
        renderStatesDirty_ = true; // the next draw puts the device's depth state back
    }
    glDrawArrays(PrimitiveMode(type), GLint(offset / stride), GLsizei(count));
    Count(primitiveCount);
}

void GlDevice::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, std::uint32_t minIndex, std::uint32_t vertexCount,
                                      std::uint32_t primitiveCount, const std::uint16_t* indices, const void* vertices,
                                      std::uint32_t stride) {
    std::uint32_t count = VertexCountOf(type, primitiveCount);
    if (count == 0 || !indices || !vertices || stride == 0 || vertexCount == 0 || discardDraws_) return;
    std::uint32_t end = minIndex + vertexCount;
    for (std::uint32_t i = 0; i < count; ++i)
        if (indices[i] < minIndex || indices[i] >= end) return; // would read past the caller's vertices
    std::size_t vertexOffset = vertexStream_.Write(vertices, std::size_t(end) * stride, stride);
    std::size_t indexOffset = indexStream_.Write(indices, std::size_t(count) * 2, 4);
    if (!PrepareDraw(state_.fvf, StreamVao(state_.fvf, stride))) return;
    glDrawElementsBaseVertex(PrimitiveMode(type), GLsizei(count), GL_UNSIGNED_SHORT, Offset(indexOffset),
                             GLint(vertexOffset / stride));
    Count(primitiveCount);
}

void GlDevice::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, std::int32_t baseVertex, std::uint32_t minIndex,
                                    std::uint32_t vertexCount, std::uint32_t startIndex, std::uint32_t primitiveCount) {
    std::uint32_t count = VertexCountOf(type, primitiveCount);
    auto* vb = static_cast<GlGeometryBuffer*>(state_.streamSource);
    auto* ib = static_cast<GlGeometryBuffer*>(state_.indices);
    std::uint32_t stride = state_.streamStride;
    if (count == 0 || !vb || !ib || stride == 0 || !vb->Id() || !ib->Id() || discardDraws_) return;
    std::int64_t firstVertex = std::int64_t(baseVertex) + minIndex;
    if ((std::uint64_t(startIndex) + count) * 2 > ib->Size() || firstVertex < 0 ||
        std::uint64_t(firstVertex + vertexCount) * stride > vb->Size())
        return;
    if (!PrepareDraw(state_.fvf, StaticVao(vb->Id(), ib->Id(), state_.fvf, stride))) return;
    glDrawElementsBaseVertex(PrimitiveMode(type), GLsizei(count), GL_UNSIGNED_SHORT,
                             Offset(std::size_t(startIndex) * 2), GLint(baseVertex));
    Count(primitiveCount);
}

// ---- sprites -------------------------------------------------------------------------------------

bool GlDevice::CreateSpriteResources(std::string* error) {
    static const char* vs = R"(#version 330 core
layout(location = 0) in vec2 inPos;
layout(location = 2) in vec4 inColor;
layout(location = 3) in vec2 inTex;
uniform vec2 uViewport;
out vec4 vColor;
out vec2 vTex;
void main() {
    vColor = inColor;
    vTex = inTex;
    gl_Position = vec4(inPos / uViewport * 2.0 - 1.0, 0.0, 1.0);
}
)";
    static const char* fs = R"(#version 330 core
uniform sampler2D uTex;
in vec4 vColor;
in vec2 vTex;
layout(location = 0) out vec4 outColor;
layout(location = 1) out vec4 outColor1;
void main() {
    outColor = texture(uTex, vTex) * vColor;
    outColor1 = vec4(0.0);
}
)";
    spriteProgram_ = BuildProgram(vs, fs, "sprite", error);
    if (!spriteProgram_) return false;
    spriteViewport_ = glGetUniformLocation(spriteProgram_, "uViewport");
    glUseProgram(spriteProgram_);
    glUniform1i(glGetUniformLocation(spriteProgram_, "uTex"), 0);
    glGenSamplers(1, &spriteSampler_);
    glSamplerParameteri(spriteSampler_, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glSamplerParameteri(spriteSampler_, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glSamplerParameteri(spriteSampler_, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glSamplerParameteri(spriteSampler_, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glGenBuffers(1, &spriteIndices_);
    return true;
}

void GlDevice::DrawSprites(const std::vector<SpriteVertex>& vertices, const std::vector<SpriteRun>& runs,
                           bool alphaBlend) {
    std::uint32_t quads = std::uint32_t(vertices.size() / 4);
    if (quads == 0 || runs.empty() || discardDraws_) return;
    if (!spriteVao_) {
        glGenVertexArrays(1, &spriteVao_);
        gl_.BindVertexArray(spriteVao_);
        gl_.BindArrayBuffer(vertexStream_.Id());
        glEnableVertexAttribArray(0);
        glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, sizeof(SpriteVertex), Offset(0));
        glEnableVertexAttribArray(3);
        glVertexAttribPointer(3, 2, GL_FLOAT, GL_FALSE, sizeof(SpriteVertex), Offset(8));
        glEnableVertexAttribArray(2);
        glVertexAttribPointer(2, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, sizeof(SpriteVertex), Offset(16));
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, spriteIndices_);
    }
    gl_.BindVertexArray(spriteVao_);
    if (quads > spriteIndexQuads_) {
        spriteIndexQuads_ = std::max<std::uint32_t>(quads, 1024);
        std::vector<std::uint16_t> indices;
        indices.reserve(spriteIndexQuads_ * 6u);
        for (std::uint32_t q = 0; q < spriteIndexQuads_; ++q)
            for (std::uint16_t k : {0, 1, 2, 2, 1, 3}) indices.push_back(std::uint16_t((q * 4 + k) & 0xFFFF));
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(indices.size() * 2), indices.data(), GL_STATIC_DRAW);
    }
    std::size_t offset =
        vertexStream_.Write(vertices.data(), vertices.size() * sizeof(SpriteVertex), sizeof(SpriteVertex));
    GLint base = GLint(offset / sizeof(SpriteVertex));
    BindTargets();
    BlendState blend;
    blend.enable = alphaBlend;
    blend.src = blend.srcAlpha = GL_SRC_ALPHA;
    blend.dst = blend.dstAlpha = GL_ONE_MINUS_SRC_ALPHA;
    gl_.SetBlend(blend);
    gl_.SetDepth(DepthState{false, false, GL_LEQUAL});
    gl_.SetRaster(RasterState{false, GL_BACK, false});
    renderStatesDirty_ = true; // the device's own states come back at its next draw
    gl_.UseProgram(spriteProgram_);
    glUniform2f(spriteViewport_, float(viewportW_), float(viewportH_));
    gl_.BindSampler(0, spriteSampler_);
    for (const auto& run : runs) {
        // 16-bit indices address 16384 quads; longer runs restart from a later base vertex.
        for (std::uint32_t done = 0; done < run.quadCount;) {
            std::uint32_t n = std::min<std::uint32_t>(run.quadCount - done, std::min(spriteIndexQuads_, 16384u));
            gl_.BindTexture(0, static_cast<GlTexture*>(run.texture)->Id());
            glDrawElementsBaseVertex(GL_TRIANGLES, GLsizei(n * 6), GL_UNSIGNED_SHORT, Offset(0),
                                     base + GLint((run.firstQuad + done) * 4));
            done += n;
            Count(n * 2);
        }
    }
}

} // namespace gpu
