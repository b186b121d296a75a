// Texts a teacher reads as the same though the program does not: class names and band labels
// typed with full-width characters, stray spaces or a look-alike dash.
#pragma once

#include <string>
#include <string_view>

namespace valdrex {

// The same for class names that differ only by spaces (anywhere, full-width too), full-width
// against half-width characters, or letter case: «２班», «2 班» and «2班» give one key.
std::string classNameKey(std::string_view name);

// The label as meant, in the characters the band counters read: full-width digits and point made
// half-width, the full-width space a blank, and a look-alike dash or tilde between numbers
// («～», «〜», «－», «–», «―», «——», «一») a single "-".
std::string plainBandLabel(std::string_view label);

}  // namespace valdrex
