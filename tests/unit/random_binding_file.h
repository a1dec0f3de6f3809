// Random binding files that mix every shape of line a player or a broken editor
// produces, for the property tests.
#pragma once

#include <array>
#include <random>
#include <string>

#include "vocabulary.h"

namespace kio::binding::test {

std::string RandomBindingFile(std::mt19937& random);

// The game's order, shuffled, or with repeated, misspelt and missing names.
std::array<std::string, kio::binding::kActionCount> RandomActionList(std::mt19937& random);

}  // namespace kio::binding::test
