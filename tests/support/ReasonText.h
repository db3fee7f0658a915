#pragma once
// A reason as plain text for test failure output.

#include <string>

#include "storage/Reason.h"
#include "storage/Utf.h"

namespace qm::test {

inline std::string Describe(const Reason& r) {
    return "kind " + std::to_string(int(r.kind)) + " '" + Utf16ToUtf8(r.subject) + "' " +
           r.cause.message() + " " + Utf16ToUtf8(r.detail) + " " + std::to_string(r.number);
}

}  // namespace qm::test
