#pragma once
// The system's wording of an error, for messages shown to a person.

#include <string>

#include "core/result.h"

namespace sw::platform {

// For example "The system cannot find the file specified." Never empty: unknown numbers
// read "Error <number>".
std::string ErrorMessage(Error error);

}  // namespace sw::platform
