// Effect images written into data/Effect, one per effect texture stem.
#pragma once

#include <string>

bool WriteEffectTextures(const std::string& dir);
