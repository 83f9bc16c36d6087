// A Direct3D 9-shaped rendering device with two backends: OpenGL 3.3 core and Null.
//
// Stands in for: IDirect3DDevice9, IDirect3DTexture9/IDirect3DSurface9, vertex/index buffers,
// ID3DXSprite, ID3DXFont and ID3DXEffect — only the operations the game calls, with their meaning.
//
// Conventions shared by both backends and by the effect files:
//  * Matrices are D3DX row-vector matrices; a projection maps depth to [0, 1] as in D3D.
//  * Every render target, the back buffer included, stores row 0 at the top of the image, like D3D
//    surfaces and like uploaded images. The GL backend renders upside down into offscreen targets
//    and flips once when presenting; GLSL stages convert with the helpers the effect module injects:
//      vec4 orl_ClipFromD3D(vec4 clip)    // D3D clip position -> GL clip position (y flip, z remap)
//      vec4 orl_ClipFromScreen(vec4 xyzrhw) // pre-transformed pixel position -> GL clip position
//    and the uniform `vec2 orl_ViewportSize` (pixels of render target 0) is set for every draw.
//  * Vertex attributes by location: 0 position (vec3, or vec4 x,y,z,rhw for XYZRHW),
//    1 normal, 2 diffuse colour (vec4 RGBA from the D3DCOLOR), 3 texture coordinate,
//    4 blend weights (vec4; weights absent from the format read 0), 5 blend indices (vec4 from UBYTE4),
//    6 and on: texture sets 1 and on (their size bits give 1 to 4 floats), for per-vertex data.
//  * Fragment outputs: location 0 goes to render target 0, location 1 to render target 1.
//  * Draws outside an effect pass use the built-in fixed-function emulation: world/view/projection,
//    light 0 (directional, diffuse + ambient + specular) with the material when D3DRS_LIGHTING is on,
//    texture stage 0 modulated by the vertex/material colour.
//
//  * Render targets smaller than the back buffer are drawn without the depth-stencil buffer
//    (depth test and writes off for them).
//
// Does not: lost devices, resets, multisampling, more than one texture stage, cube or volume textures,
// programmable vertex declarations beyond the formats listed in d3d_types.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gpu/d3d_types.h"

namespace gpu {

class Texture;

// One 2D image a device can render into or sample: a texture level or the back buffer.
class Surface {
public:
    virtual ~Surface() = default;
    virtual std::uint32_t Width() const = 0;
    virtual std::uint32_t Height() const = 0;
    virtual D3DFORMAT Format() const = 0;
    // The texture this surface is level 0 of; null for the back buffer and the depth surface.
    virtual Texture* OwnerTexture() const = 0;
};

struct LockedRect {
    std::int32_t Pitch = 0; // bytes from one row to the next
    void* pBits = nullptr;
};

// Textures are always held by shared_ptr; devices and effects keep a reference to what is bound,
// as Direct3D does, so releasing a bound texture is safe.
class Texture : public std::enable_shared_from_this<Texture> {
public:
    virtual ~Texture() = default;
    virtual std::uint32_t Width() const = 0;
    virtual std::uint32_t Height() const = 0;
    virtual std::uint32_t LevelCount() const = 0;
    virtual D3DFORMAT Format() const = 0;
    virtual bool IsRenderTarget() const = 0;
    // Level 0 as a surface (keeps the texture alive).
    virtual std::shared_ptr<Surface> GetSurfaceLevel(std::uint32_t level) = 0;
    // CPU access to level 0 of a managed A8R8G8B8 texture (pixels are 0xAARRGGBB words).
    // Returns false for render targets and other formats. Unlock uploads the change.
    virtual bool LockRect(LockedRect* out) = 0;
    virtual void UnlockRect() = 0;
    // Every texel of every level has full alpha (or the format has none): a draw of it under the
    // usual src-alpha blend may leave the blend out. False when not known.
    virtual bool Opaque() const { return false; }
};

// Static geometry kept on the device (meshes). Contents are replaced whole by Update.
class GeometryBuffer : public std::enable_shared_from_this<GeometryBuffer> {
public:
    virtual ~GeometryBuffer() = default;
    virtual std::size_t Size() const = 0;
    virtual void Update(const void* data, std::size_t bytes) = 0;
};

class Effect;
class Sprite;
class Font;

// Bytes of driver-side storage for what the device holds now (mip chains included), for --stats.
struct DeviceMemory {
    std::uint64_t imageBytes = 0;    // textures, render targets, the back buffer and its depth
    std::uint64_t geometryBytes = 0; // static vertex/index buffers and the streaming buffers
};

// Per-frame counters, read by --stats and by tests.
struct DeviceCounters {
    std::uint64_t draws = 0;      // primitive draw calls, sprites included
    std::uint64_t primitives = 0; // triangles submitted
    std::uint64_t frames = 0;     // Present calls
};

class Device {
public:
    virtual ~Device() = default;

    // ---- frame ----
    virtual void Clear(DWORD flags, D3DCOLOR color, float z, DWORD stencil) = 0;
    virtual void BeginScene() = 0;
    virtual void EndScene() = 0;
    virtual void Present() = 0;
    virtual const D3DPRESENT_PARAMETERS& PresentParameters() const = 0;

    // ---- fixed-function state ----
    virtual void SetTransform(D3DTRANSFORMSTATETYPE state, const D3DXMATRIX* matrix) = 0;
    virtual void GetTransform(D3DTRANSFORMSTATETYPE state, D3DXMATRIX* matrix) const = 0;
    virtual void SetLight(DWORD index, const D3DLIGHT9* light) = 0;
    virtual void GetLight(DWORD index, D3DLIGHT9* light) const = 0;
    virtual void LightEnable(DWORD index, BOOL enable) = 0;
    virtual void SetMaterial(const D3DMATERIAL9* material) = 0;
    virtual void SetRenderState(D3DRENDERSTATETYPE state, DWORD value) = 0;
    virtual DWORD GetRenderState(D3DRENDERSTATETYPE state) const = 0;
    virtual void SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) = 0;
    virtual void SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) = 0;
    virtual DWORD GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type) const = 0;
    virtual void SetTexture(DWORD stage, Texture* texture) = 0;
    virtual void SetFVF(DWORD fvf) = 0;
    virtual DWORD GetFVF() const = 0;

    // ---- drawing ----
    // Vertices (and 16-bit indices) from user memory, in the format of the last SetFVF.
    virtual void DrawPrimitiveUP(D3DPRIMITIVETYPE type, std::uint32_t primitiveCount, const void* vertices,
                                 std::uint32_t stride) = 0;
    virtual void DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, std::uint32_t minIndex, std::uint32_t vertexCount,
                                        std::uint32_t primitiveCount, const std::uint16_t* indices,
                                        const void* vertices, std::uint32_t stride) = 0;
    // Static geometry: vertices in the format of the last SetFVF, 16-bit indices.
    virtual std::shared_ptr<GeometryBuffer> CreateVertexBuffer(std::size_t bytes) = 0;
    virtual std::shared_ptr<GeometryBuffer> CreateIndexBuffer(std::size_t bytes) = 0;
    virtual void SetStreamSource(GeometryBuffer* vertices, std::uint32_t stride) = 0;
    virtual void SetIndices(GeometryBuffer* indices) = 0;
    virtual void DrawIndexedPrimitive(D3DPRIMITIVETYPE type, std::int32_t baseVertex, std::uint32_t minIndex,
                                      std::uint32_t vertexCount, std::uint32_t startIndex,
                                      std::uint32_t primitiveCount) = 0;

    // ---- resources ----
    // Returns null (never throws) when the size is zero/too large or the format is unsupported.
    virtual std::shared_ptr<Texture> CreateTexture(std::uint32_t width, std::uint32_t height, std::uint32_t levels,
                                                   DWORD usage, D3DFORMAT format, D3DPOOL pool) = 0;
    // Render targets 0..3. Target 0 may not be null; a null target 1..3 unbinds it.
    virtual bool SetRenderTarget(DWORD index, std::shared_ptr<Surface> surface) = 0;
    virtual std::shared_ptr<Surface> GetRenderTarget(DWORD index) const = 0;
    virtual std::shared_ptr<Surface> GetDepthStencilSurface() const = 0;
    // A depth-stencil surface of its own size, for a colour target of that size (null if the size
    // is zero or too large). The depth surface in force is used wherever target 0 has its size;
    // elsewhere draws go without depth. Null puts back the back buffer's.
    virtual std::shared_ptr<Surface> CreateDepthStencilSurface(std::uint32_t width, std::uint32_t height) = 0;
    virtual void SetDepthStencilSurface(std::shared_ptr<Surface> surface) = 0;
    // The back buffer's pixels as 0xAARRGGBB words, row 0 at the top (screenshots, tests): the
    // picture being drawn, or after Present the one shown (kept when KeepPictureForReadBack asked).
    virtual bool ReadBackBuffer(std::vector<std::uint32_t>& pixels, std::uint32_t& width, std::uint32_t& height) = 0;
    // The frame being drawn will be read back after its Present: a device that draws straight into
    // the window keeps a copy of it, since the window's buffer is undefined once swapped.
    virtual void KeepPictureForReadBack() {}
    // Level 0 of a render-target texture, same layout (tests of render-to-texture passes).
    virtual bool ReadSurface(Surface& surface, std::vector<float>& rgba) = 0;

    // ---- D3DX-side objects created on this device ----
    // On failure returns null and fills *errors with the reason (file, line, compiler text). Only the
    // techniques named in linkNow (all when it is empty) are built here; any other is built when it is
    // first begun, so that one graphics level does not hold the programs only the others draw with.
    virtual std::unique_ptr<Effect> CreateEffectFromFile(const std::string& path, std::string* errors,
                                                         const std::vector<std::string>& linkNow) = 0;
    std::unique_ptr<Effect> CreateEffectFromFile(const std::string& path, std::string* errors) {
        return CreateEffectFromFile(path, errors, {});
    }
    // Every effect the game draws with is built: the driver may let go of its compiler's tables
    // (megabytes on Mesa). An effect built later still builds, only slower.
    virtual void ShadersBuilt() {}
    virtual std::unique_ptr<Sprite> CreateSprite() = 0;
    virtual std::unique_ptr<Font> CreateFont(const D3DXFONT_DESCA& desc) = 0;

    virtual DeviceCounters& Counters() = 0;
    virtual bool IsNull() const = 0;
    // Zero on the Null device, whose resources are plain CPU memory.
    virtual DeviceMemory Memory() const { return {}; }

    // ---- viewport ----
    // 3D draws that follow fall in `area` of render target 0 (pixels, top-left origin, right/bottom
    // excluded) until the next SetRenderTarget(0, ...), which brings back the whole target, as
    // Direct3D's viewport does. Sprites and screen-space draws keep to the whole target's pixels.
    virtual void SetViewport(const RECT&) {}

    // ---- scissor ----
    // Keeps draws and clears of every target to `rect` (pixels, top-left origin, right/bottom
    // excluded) until it is called with null. Passes whose result is known to be empty outside some
    // rectangle use it to skip those pixels; the Null device draws nothing and ignores it.
    virtual void SetScissorRect(const RECT*) {}
    // Fills each rectangle of the colour target (callers bind target 0 alone) with `color`, as a
    // target Clear under that scissor would, and leaves the scissor off.
    virtual void ClearRects(const std::vector<RECT>& rects, D3DCOLOR color);

    // Hands what has been drawn so far over to be rasterized, so that a software rasterizer's
    // threads start on it while the rest of the frame is still being sent. Each batch in flight
    // holds its own binning memory. Nothing on the Null device.
    virtual void Flush() {}

    // ---- profiling ----
    // Names the part of the frame drawn from here on, for the GPU-side phase table (--stats). Does
    // nothing unless the phase timer is on, and on the Null device.
    virtual void BeginPhase(const char*) {}
    virtual void EnablePhaseTimer(bool) {}
    // "phase_ms name=mean ..." over the frames timed; empty when none were.
    virtual std::string PhaseReport() const { return {}; }

    // A frame nobody will see (the main loop catching up on a slow machine) still runs the scene's
    // render, which moves per-frame state (camera, fades, blinking); with draws discarded the device
    // keeps every state it is given but clears, draws and presents nothing.
    void DiscardDraws(bool discard) { discardDraws_ = discard; }
    bool DrawsDiscarded() const { return discardDraws_; }

protected:
    bool discardDraws_ = false;
};

// The usual src-alpha blend is in force (colour SRCALPHA / INVSRCALPHA, alpha the same or ONE /
// INVSRCALPHA): it hands back a source of alpha 1 unchanged, so a draw known to be opaque may go
// without it and spare a software rasterizer reading the target at every pixel.
bool BlendKeepsOpaqueSource(const Device& device);

// ID3DXSprite: screen-space textured quads, batched between Begin and End.
class Sprite {
public:
    virtual ~Sprite() = default;
    virtual void Begin(DWORD flags) = 0;
    virtual void SetTransform(const D3DXMATRIX* transform) = 0;
    virtual void GetTransform(D3DXMATRIX* transform) const = 0;
    // Draws `source` (whole texture when null) of `texture`, its top-left corner at the transformed
    // position (`center` subtracted, `position` added when given), modulated by `color` (ARGB).
    virtual void Draw(Texture* texture, const RECT* source, const D3DXVECTOR3* center, const D3DXVECTOR3* position,
                      D3DCOLOR color) = 0;
    virtual void Flush() = 0;
    virtual void End() = 0;
};

// ID3DXFont: UTF-8 text, measured or drawn through a sprite.
class Font {
public:
    virtual ~Font() = default;
    // With DT_CALCRECT only measures: rect->right/bottom are set from rect->left/top. Returns the height.
    virtual int DrawTextA(Sprite* sprite, const char* text, int count, RECT* rect, DWORD format, D3DCOLOR color) = 0;
    virtual void GetDescA(D3DXFONT_DESCA* desc) const = 0;
};

// ID3DXEffect over GLSL (file syntax: see src/platform/gpu/effect_file.h).
// Parameters are set by name; an unknown name is ignored. Setting a parameter between BeginPass
// and EndPass takes effect at the next CommitChanges (or BeginPass).
class Effect {
public:
    virtual ~Effect() = default;
    virtual bool SetTechnique(const char* name) = 0;
    virtual bool Begin(unsigned* passes, DWORD flags) = 0;
    virtual bool BeginPass(unsigned pass) = 0;
    virtual void CommitChanges() = 0;
    virtual void EndPass() = 0;
    virtual void End() = 0;
    virtual void SetMatrix(const char* name, const D3DXMATRIX* matrix) = 0;
    virtual void SetMatrixArray(const char* name, const D3DXMATRIX* matrices, std::uint32_t count) = 0;
    virtual void SetVector(const char* name, const D3DXVECTOR4* vector) = 0;
    virtual void SetFloat(const char* name, float value) = 0;
    virtual void SetInt(const char* name, int value) = 0;
    virtual void SetTexture(const char* name, Texture* texture) = 0;
    virtual void SetValue(const char* name, const void* data, std::uint32_t bytes) = 0;
    // Reads a parameter back (raw bytes as last set); false for unknown names. For tests and tools.
    virtual bool GetValue(const char* name, void* data, std::uint32_t bytes) const = 0;
    virtual std::vector<std::string> TechniqueNames() const = 0;
};

} // namespace gpu
