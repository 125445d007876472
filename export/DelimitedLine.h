#pragma once

#include "db/CheckQueries.h"

#include <span>
#include <string>

namespace velmora::exporting {

// Appends one record as a line of comma-delimited text: the values separated by single commas, a
// text between double quotes with a double quote inside it doubled (commas inside stay as they
// are), a number bare in plain decimal, Null as two double quotes; the line ends with CR LF.
void appendDelimitedLine(std::string& out, std::span<const db::FieldText> values);

} // namespace velmora::exporting
