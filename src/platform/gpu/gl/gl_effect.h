// The OpenGL device's effect: one linked program per pass, uniform locations found once at link,
// parameter values uploaded at BeginPass/CommitChanges only when they changed.
#pragma once

#include <epoxy/gl.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/gpu/effect_base.h"
#include "platform/gpu/gl/gl_resources.h"

namespace gpu {

class GlEffect final : public EffectBase {
public:
    // Links the passes of the techniques in linkNow (all when it is empty); the others link when
    // first begun, and one that fails then says why on stderr and draws nothing.
    static std::unique_ptr<Effect> Load(std::shared_ptr<GlShared> shared, const std::string& path,
                                        const std::vector<std::string>& linkNow, std::string* errors);
    GlEffect(std::shared_ptr<GlShared> shared, EffectFile file);
    ~GlEffect() override;

    // Makes the committed pass ready for one draw (program, viewport uniform, textures).
    bool PrepareDraw(int viewportW, int viewportH);

protected:
    bool OnBeginPass(int technique, unsigned pass) override;
    void OnCommit() override;
    void OnEndPass() override;

private:
    struct PassProgram {
        GLuint program = 0;
        std::vector<GLint> locations; // per parameter slot, -1 when the pass does not use it
        std::vector<GLsizei> counts;  // array elements the program really has
        std::vector<std::uint32_t> versions;
        std::uint32_t seenChanges = 0;
        GLint viewport = -1;
        int viewportW = -1, viewportH = -1;
        bool failed = false; // a link when first begun failed; not tried again
    };

    bool Build(const std::vector<std::string>& linkNow, std::string* error);
    bool Link(const EffectPass& pass, PassProgram* out, std::string* error);
    void Upload(PassProgram& pass);
    void UploadSlot(const EffectParameters::Slot& slot, GLint location, GLsizei count);
    void CommitTextures();

    std::shared_ptr<GlShared> shared_;
    std::vector<std::vector<PassProgram>> programs_; // [technique][pass]
    PassProgram* active_ = nullptr;
    std::vector<std::shared_ptr<Texture>> committed_; // per texture unit
};

} // namespace gpu
