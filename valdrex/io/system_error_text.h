// What a failed system call means for a teacher, with what to do about it.
#pragma once

#include <string>

namespace valdrex::io {

// The cause of `error` (an errno value) in Chinese; for the common causes of a failed save — a
// full disk, missing permission, a read-only or failing disk, too little memory — with advice
// ("…。请…"), else the system's own words.
std::string systemErrorText(int error);

}  // namespace valdrex::io
