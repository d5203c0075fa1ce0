// Helpers shared by the writer's source files.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qod::pdf {

// A text escaped for a PDF literal string: "\" doubled, "(" and ")" escaped.
std::string Escape_Pdf(std::string_view s);

}  // namespace qod::pdf
