#pragma once

#include <string>
#include <vector>

namespace velmora::print {

// The face names the print back ends offer: every family installed for Qt (the program's bundled
// fonts included once registered), followed by the names that fontconfig declares metric-compatible
// with an installed family ("Times New Roman" where Liberation Serif is installed). A name that
// would only fall back to some unrelated face is not offered.
std::vector<std::string> offeredFaceNames();

// Whether `face` is one of offeredFaceNames(), told without making the whole list: of the
// metric-compatible names, only the one asked about is resolved through fontconfig.
bool isOfferedFaceName(const std::string& face);

// The metric-compatible names alone, with the installed family each one prints in.
struct FaceAlias {
    std::string name;
    std::string family;
};
const std::vector<FaceAlias>& metricCompatibleAliases();

} // namespace velmora::print
