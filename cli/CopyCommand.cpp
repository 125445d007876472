#include "cli/CopyCommand.h"

#include "cli/VerbSupport.h"
#include "db/DatabaseCopy.h"

#include <iostream>

namespace velmora::cli {

namespace fs = std::filesystem;

namespace {

constexpr const char* kVerb = "copy";

Exit failed(const db::CopyResult& result) {
    using Failure = db::CopyResult::Failure;
    if (result.failure == Failure::Exists)
        return fail(kVerb, Exit::NotCopied, result.message + " It is replaced only with --replace.");
    return fail(kVerb, result.failure == Failure::Source ? Exit::NoDatabase : Exit::NotCopied,
                result.message);
}

// "4 tables, 100001 rows": what the copy holds, every row of it compared with the source.
std::string held(const db::CopyReport& report) {
    return counted(static_cast<std::int64_t>(report.tables.size()), "table") + ", " +
           counted(report.rows(), "row");
}

} // namespace

Exit runCopyCommand(const Invocation& invocation, const Arguments& arguments) {
    if (arguments.operands().size() != 1)
        return usageError(kVerb, "name one check database to copy");
    const bool toServer = arguments.has(option::kToServer);
    if (toServer && arguments.has(option::kReplace))
        return usageError(kVerb, "--replace goes with --to-file only");
    const fs::path programDir = programDirOf(invocation);
    Admission admission = admitWithPassword(kVerb, programDir, passwordFile(arguments));
    if (!admission.admitted())
        return fail(kVerb, admission.exit(), admission.message);
    const ServerAddress server = serverOf(arguments, *admission.settings);
    if (server.empty())
        return usageError(
            kVerb, "no database server is named: give --server SERVICE, or name the server in Program Setup");
    if (Status usable = db::checkServerAddress(server); !usable)
        return fail(kVerb, Exit::Usage, usable.message());

    const std::string& name = arguments.operands().front();
    if (toServer) {
        const fs::path file = databasePath(programDir, name);
        const std::string serverName = db::serverNameFor(file);
        const db::CopyResult result = db::copyToServer(file, server, serverName);
        if (!result.ok())
            return failed(result);
        std::cout << terminalText(file.filename().string()) << ": copied to the database server as "
                  << terminalText(serverName) << " (" << held(result.report) << ", every field verified).\n";
        return Exit::Copied;
    }
    const fs::path file = databasePath(programDir, *arguments.value(option::kToFile));
    const db::FileTarget target{
        file, arguments.has(option::kReplace) ? WhenExisting::Replace : WhenExisting::Refuse, nullptr};
    const db::CopyResult result = db::copyToFile(server, name, target);
    if (!result.ok())
        return failed(result);
    std::cout << terminalText(name) << ": copied from the database server to " << terminalText(file.string())
              << " (" << held(result.report) << ", every field verified).\n";
    return Exit::Copied;
}

} // namespace velmora::cli
