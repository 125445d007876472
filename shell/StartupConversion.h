#pragma once

#include "base/Session.h"
#include "jet/Converter.h"

namespace velmora::shell {

// Before the password screen: a settings file PC.OVL still in the Access (Jet) form is offered for
// conversion, since the program cannot run on it; on Yes it is converted with progress, its password
// hashed on the way. Returns whether start-up may go on: false when the user declined or the
// conversion failed, both told, with PC.OVL as it was.
[[nodiscard]] bool settingsReadyAtStart(Session& session, const jet::ConvertOptions& options = {});

} // namespace velmora::shell
