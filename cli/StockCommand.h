#pragma once

#include "cli/CommandLine.h"

namespace velmora::cli {

// velmora blank-checks | quicken-3up | quicken-voucher --db NAME.mdb --count N --start NUMBER
//   (--pdf FILE | --printer QUEUE) [--confirm yes|no] [--password-file FILE]
// velmora deposit-tickets --db NAME.mdb --count N (--pdf FILE | --printer QUEUE) ...
// The blank-stock products of the Printer Control Menu without the screens.
int runBlankChecksCommand(const Invocation& invocation);
int runDepositTicketsCommand(const Invocation& invocation);
int runQuicken3UpCommand(const Invocation& invocation);
int runQuickenVoucherCommand(const Invocation& invocation);

// velmora test-page (--pdf FILE | --printer QUEUE): the alignment test page on the stored positions.
int runTestPageCommand(const Invocation& invocation);

} // namespace velmora::cli
