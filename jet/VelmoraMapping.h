#pragma once

#include "jet/ConversionPlan.h"

namespace velmora::jet {

// The Jet forms of the program's own files, mapped onto their SQLite tables (the field tables of
// db/). Each field the table defines is taken from the Jet column of the same name (in any letter
// case), which must be of a matching type; a field the file lacks is left Null and noted; the tables and
// columns the file holds beyond those are left out and reported, never guessed at.

// A check database (or the template file): `Account`, with its IDs kept, and `Properties`. A legacy
// `LPrint` field of `Account` is carried over where the file has one.
Result<ConversionPlan> planCheckDatabase(const JetSchema& schema, const std::string& fileName);

// The settings file PC.OVL: the settings record (`5` and `AlignStart` within the 16-bit range they
// had), the password of table `A` (stored as the hash of its lower-case form) and the product types.
Result<ConversionPlan> planSettings(const JetSchema& schema, const std::string& fileName);

} // namespace velmora::jet
