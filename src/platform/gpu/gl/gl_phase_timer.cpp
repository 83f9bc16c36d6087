// GL timer queries per named phase, summed over the frames and reported as means.
#include "platform/gpu/gl/gl_phase_timer.h"

#include <cstdio>

namespace gpu {

void GlPhaseTimer::Begin(const char* name) {
    if (!enabled_) return;
    EndRunning();
    std::size_t index = 0;
    while (index < phases_.size() && phases_[index].name != name) ++index;
    if (index == phases_.size()) phases_.push_back({name, 0});
    GLuint query = 0;
    if (spare_.empty()) {
        glGenQueries(1, &query);
    } else {
        query = spare_.back();
        spare_.pop_back();
    }
    glBeginQuery(GL_TIME_ELAPSED, query);
    pending_.push_back({index, query});
    running_ = true;
}

void GlPhaseTimer::EndRunning() {
    if (!running_) return;
    glEndQuery(GL_TIME_ELAPSED);
    running_ = false;
}

void GlPhaseTimer::EndFrame() {
    if (!enabled_) return;
    EndRunning();
    if (pending_.empty()) return;
    for (const Pending& p : pending_) {
        GLuint64 nanoseconds = 0;
        glGetQueryObjectui64v(p.query, GL_QUERY_RESULT, &nanoseconds);
        phases_[p.phase].totalMs += double(nanoseconds) / 1e6;
        spare_.push_back(p.query);
    }
    pending_.clear();
    ++frames_;
}

void GlPhaseTimer::Release() {
    EndRunning();
    for (const Pending& p : pending_) spare_.push_back(p.query);
    pending_.clear();
    if (!spare_.empty()) glDeleteQueries(GLsizei(spare_.size()), spare_.data());
    spare_.clear();
}

std::string GlPhaseTimer::Report() const {
    if (frames_ == 0) return {};
    std::string line = "phase_ms";
    double total = 0;
    char item[96];
    for (const Phase& phase : phases_) {
        double mean = phase.totalMs / double(frames_);
        total += mean;
        std::snprintf(item, sizeof item, " %s=%.2f", phase.name.c_str(), mean);
        line += item;
    }
    std::snprintf(item, sizeof item, " total=%.2f\n", total);
    return line + item;
}

} // namespace gpu
