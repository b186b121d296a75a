// A call into the office whose refusal becomes the host's failure, with the office's own words.
#pragma once

#include <com/sun/star/uno/Exception.hpp>
#include <string>

#include "libreoffice/uno_text.h"
#include "valdrex/host/failure.h"

namespace valdrex::calc {

template <class Call>
auto calling(const char* what, const Call& call) {
  try {
    return call();
  } catch (const css::uno::Exception& e) {
    throw Failure(FailureKind::HostError, std::string(what) + "失败：" + utf8(e.Message));
  }
}

}  // namespace valdrex::calc
