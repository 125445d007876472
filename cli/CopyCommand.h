#pragma once

#include "cli/Command.h"

namespace velmora::cli {

namespace option {
inline constexpr const char* kToServer = "--to-server";
inline constexpr const char* kToFile = "--to-file";
inline constexpr const char* kReplace = "--replace";
} // namespace option

// `velmora copy NAME.mdb --to-server --server SERVICE` and `velmora copy NAME --to-file NAME.mdb
// --server SERVICE`: moves a check database between a file and the office's database server, every
// row and field of the copy compared with the source before it is kept. One line on standard output.
Exit runCopyCommand(const Invocation& invocation, const Arguments& arguments);

} // namespace velmora::cli
