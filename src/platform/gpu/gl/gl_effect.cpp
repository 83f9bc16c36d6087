// GL effects: building the pass programs and moving changed parameters into them.
#include "platform/gpu/gl/gl_effect.h"

#include <algorithm>
#include <cstdio>

#include "platform/gpu/gl/gl_device.h"
#include "platform/gpu/gl/gl_program.h"

namespace gpu {

std::unique_ptr<Effect> GlEffect::Load(std::shared_ptr<GlShared> shared, const std::string& path,
                                       const std::vector<std::string>& linkNow, std::string* errors) {
    EffectFile file;
    std::string error;
    if (!LoadEffectFile(path, &file, &error)) {
        if (errors) *errors = error;
        return nullptr;
    }
    auto effect = std::make_unique<GlEffect>(std::move(shared), std::move(file));
    if (!effect->Build(linkNow, &error)) {
        if (errors) *errors = error;
        return nullptr;
    }
    return effect;
}

GlEffect::GlEffect(std::shared_ptr<GlShared> shared, EffectFile file)
    : EffectBase(std::move(file)), shared_(std::move(shared)) {
    committed_.resize(std::size_t(params_.SamplerCount()));
}

GlEffect::~GlEffect() {
    End();
    if (!shared_->device) return;
    for (auto& tech : programs_)
        for (auto& pass : tech)
            if (pass.program) glDeleteProgram(pass.program);
    shared_->device->Gl().UseProgram(0);
}

bool GlEffect::Build(const std::vector<std::string>& linkNow, std::string* error) {
    if (!shared_->device) {
        *error = file_.fileName + ": no OpenGL device";
        return false;
    }
    programs_.resize(file_.techniques.size());
    for (std::size_t t = 0; t < file_.techniques.size(); ++t) {
        programs_[t].resize(file_.techniques[t].passes.size());
        if (!linkNow.empty() && std::find(linkNow.begin(), linkNow.end(), file_.techniques[t].name) == linkNow.end())
            continue;
        for (std::size_t p = 0; p < programs_[t].size(); ++p)
            if (!Link(file_.techniques[t].passes[p], &programs_[t][p], error)) return false;
    }
    return true;
}

bool GlEffect::Link(const EffectPass& pass, PassProgram* out, std::string* error) {
    const std::string& name = file_.fileName;
    GLuint vs = CompileShader(GL_VERTEX_SHADER, BuildStageSource(file_, pass, ShaderStage::Vertex), name, error);
    if (!vs) return false;
    GLuint fs = CompileShader(GL_FRAGMENT_SHADER, BuildStageSource(file_, pass, ShaderStage::Fragment), name, error);
    if (!fs) {
        glDeleteShader(vs);
        return false;
    }
    out->program = LinkProgram(vs, fs, name, error);
    if (!out->program) return false;

    // Active array sizes: a compiler may trim an array to the elements the code reads.
    GLint active = 0;
    glGetProgramiv(out->program, GL_ACTIVE_UNIFORMS, &active);
    std::vector<std::pair<std::string, GLint>> sizes;
    for (GLint i = 0; i < active; ++i) {
        char text[256];
        GLsizei length = 0;
        GLint size = 0;
        GLenum type = 0;
        glGetActiveUniform(out->program, GLuint(i), sizeof text, &length, &size, &type, text);
        std::string uniform(text, std::size_t(length));
        if (uniform.size() > 3 && uniform.compare(uniform.size() - 3, 3, "[0]") == 0)
            uniform.resize(uniform.size() - 3);
        sizes.emplace_back(uniform, size);
    }
    GlStateCache& gl = shared_->device->Gl();
    gl.UseProgram(out->program);
    const auto& slots = params_.Slots();
    out->locations.assign(slots.size(), -1);
    out->counts.assign(slots.size(), 0);
    out->versions.assign(slots.size(), 0);
    for (std::size_t i = 0; i < slots.size(); ++i) {
        const auto& u = slots[i].uniform;
        out->locations[i] = glGetUniformLocation(out->program, u.name.c_str());
        GLint size = 1;
        for (const auto& [n, s] : sizes)
            if (n == u.name) size = s;
        out->counts[i] = GLsizei(std::min<GLint>(size, GLint(u.arraySize)));
        if (slots[i].samplerUnit >= 0 && out->locations[i] >= 0) glUniform1i(out->locations[i], slots[i].samplerUnit);
    }
    out->viewport = glGetUniformLocation(out->program, "orl_ViewportSize");
    return true;
}

void GlEffect::UploadSlot(const EffectParameters::Slot& slot, GLint location, GLsizei count) {
    const std::uint32_t* words = params_.Words(slot);
    const auto* f = reinterpret_cast<const GLfloat*>(words);
    const auto* i = reinterpret_cast<const GLint*>(words);
    switch (slot.uniform.type) {
    case UniformType::Float: glUniform1fv(location, count, f); break;
    case UniformType::Vec2: glUniform2fv(location, count, f); break;
    case UniformType::Vec3: glUniform3fv(location, count, f); break;
    case UniformType::Vec4: glUniform4fv(location, count, f); break;
    case UniformType::Int:
    case UniformType::Bool: glUniform1iv(location, count, i); break;
    case UniformType::IVec2: glUniform2iv(location, count, i); break;
    case UniformType::IVec3: glUniform3iv(location, count, i); break;
    case UniformType::IVec4: glUniform4iv(location, count, i); break;
    case UniformType::Mat3: glUniformMatrix3fv(location, count, GL_TRUE, f); break;
    case UniformType::Mat4: glUniformMatrix4fv(location, count, GL_TRUE, f); break;
    case UniformType::Sampler2D:
    case UniformType::Other: break;
    }
}

void GlEffect::Upload(PassProgram& pass) {
    if (pass.seenChanges == params_.ChangeCount()) return;
    const auto& slots = params_.Slots();
    for (std::size_t k = 0; k < slots.size(); ++k) {
        if (pass.versions[k] == slots[k].version) continue;
        pass.versions[k] = slots[k].version;
        if (pass.locations[k] >= 0 && slots[k].samplerUnit < 0) UploadSlot(slots[k], pass.locations[k], pass.counts[k]);
    }
    pass.seenChanges = params_.ChangeCount();
}

void GlEffect::CommitTextures() {
    for (const auto& slot : params_.Slots())
        if (slot.samplerUnit >= 0 && committed_[slot.samplerUnit] != slot.hold)
            committed_[slot.samplerUnit] = slot.hold;
}

bool GlEffect::OnBeginPass(int technique, unsigned pass) {
    GlDevice* device = shared_->device;
    if (!device) return false;
    PassProgram& program = programs_[technique][pass];
    if (!program.program) {
        if (program.failed) return false;
        std::string error;
        if (!Link(file_.techniques[technique].passes[pass], &program, &error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            program.failed = true;
            return false;
        }
    }
    active_ = &program;
    device->SetActiveEffect(this);
    device->Gl().UseProgram(active_->program);
    Upload(*active_);
    CommitTextures();
    return true;
}

void GlEffect::OnCommit() {
    GlDevice* device = shared_->device;
    if (!device || !active_) return;
    device->Gl().UseProgram(active_->program);
    Upload(*active_);
    CommitTextures();
}

void GlEffect::OnEndPass() {
    GlDevice* device = shared_->device;
    if (device && device->ActiveEffect() == this) device->SetActiveEffect(nullptr);
    active_ = nullptr;
}

bool GlEffect::PrepareDraw(int viewportW, int viewportH) {
    GlDevice* device = shared_->device;
    if (!device || !active_) return false;
    GlStateCache& gl = device->Gl();
    gl.UseProgram(active_->program);
    if (active_->viewportW != viewportW || active_->viewportH != viewportH) {
        glUniform2f(active_->viewport, float(viewportW), float(viewportH));
        active_->viewportW = viewportW;
        active_->viewportH = viewportH;
    }
    for (std::size_t unit = 0; unit < committed_.size() && unit < GlStateCache::kUnits; ++unit) {
        const auto* texture = static_cast<const GlTexture*>(committed_[unit].get());
        gl.BindTexture(int(unit), texture ? texture->Id() : 0);
        gl.BindSampler(int(unit), device->DeviceSampler(texture ? texture->LevelCount() : 1));
    }
    return true;
}

} // namespace gpu
