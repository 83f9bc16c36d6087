// The desktop icon of an installed game: a witch on her broom before a glowing magic circle.
#pragma once

#include <string>

bool WriteIcon(const std::string& path);
