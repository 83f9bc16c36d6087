// Synthesised sounds written into data/Sound as 44.1 kHz 16-bit PCM WAV files.
#pragma once

#include <string>

bool WriteSounds(const std::string& dir);
