// Plausible Chinese personal names for sample workbooks.
#pragma once

#include <string>

#include "valdrex/job/made/sample_random.h"

namespace valdrex {

// A surname and a given name of one or two characters: "王子涵", "李强".
std::string personName(SampleRandom& random);
// A surname followed by "老师".
std::string teacherName(SampleRandom& random);

}  // namespace valdrex
