// The three racers: skinned witches on a broom pose with a seated and a flying animation.
#pragma once

#include <string>

// Writes aaa/perlita.x, velka/velka.x, mirro/mirro.x and their textures under `xfileDir`.
bool WriteCharacters(const std::string& xfileDir);
