#pragma once
// Shows a Version as a.b.c.d in test failures.

#include <ostream>

#include "types/version.h"

namespace jl {

inline void PrintTo(const Version& version, std::ostream* out) {
    *out << version.parts[0] << '.' << version.parts[1] << '.' << version.parts[2] << '.' << version.parts[3];
}

} // namespace jl
