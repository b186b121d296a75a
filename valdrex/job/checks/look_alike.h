// Texts a teacher reads as the same though the program does not: class names and band labels
// typed with full-width characters, stray spaces or a look-alike dash.
#pragma once

#include <string>
#include <string_view>

#include "valdrex/gradebook/class_names.h"  // classNameKey

namespace valdrex {

// The label as meant, in the characters the band counters read: full-width digits and point made
// half-width, the full-width space a blank, and a look-alike dash or tilde between numbers
// («～», «〜», «－», «–», «―», «——», «一») a single "-".
std::string plainBandLabel(std::string_view label);

}  // namespace valdrex
