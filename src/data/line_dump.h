#pragma once

#include <string>

#include "data/line_definition.h"

namespace kelvaron {

// The whole line definition as JSON for inspection: every table under its section name with
// its records' field names, the positions derived at start-up, and the event table. Strings
// are written as UTF-8; one record per line so that two dumps compare line by line.
std::string LineDefinitionToJson(const LineDefinition& line);

}  // namespace kelvaron
