#include "db/CheckDatabase.h"
#include "print/PrintLock.h"
#include "support/AnotherProcess.h"
#include "support/Stores.h"

#include <csignal>
#include <cstdio>
#include <gtest/gtest.h>
#include <stdexcept>

namespace velmora::print {
namespace {

using namespace std::chrono_literals;

// Desks printing from one check database on the server: one run at a time, and a desk that dies
// leaves the database free.
class ServerPrintLockTest : public ::testing::Test {
protected:
    void SetUp() override {
        VELMORA_SKIP_WITHOUT(store);
        payroll.emplace(store.createDatabase("Payroll", db::DatabaseType::Check));
    }
    testing::StoreFixture store{testing::Store::Server};
    std::optional<db::CheckDatabase> payroll;
};

TEST_F(ServerPrintLockTest, OneDeskAtATimePrintsFromACheckDatabase) {
    db::CheckDatabase otherDesk = store.open("Payroll");
    {
        Result<PrintLock> first = PrintLock::acquire(*payroll, 0ms);
        ASSERT_TRUE(first) << first.message();
        const Result<PrintLock> second = PrintLock::acquire(otherDesk, 100ms);
        ASSERT_FALSE(second);
        EXPECT_EQ(second.message(), "Another print run is printing from " + store.storedName("Payroll") +
                                        ". Wait until it has finished, then print again.");
        // Another check database on the same server is not held up.
        db::CheckDatabase office = store.createDatabase("Office", db::DatabaseType::Check);
        EXPECT_TRUE(PrintLock::acquire(office, 0ms));
        // Moved, the lock is still held once and given back once.
        PrintLock moved = std::move(first.value());
        EXPECT_FALSE(PrintLock::acquire(otherDesk, 0ms));
    }
    EXPECT_TRUE(PrintLock::acquire(otherDesk, 0ms)) << "given back when the run ended";
}

TEST_F(ServerPrintLockTest, ADeskKilledDuringARunHoldsNothing) {
    // The child has a process id of its own: it opens the database by the name this process gave it.
    const std::string name = store.storedName("Payroll");
    auto killedDesk = std::make_unique<testing::HeldByAnotherProcess>([&](const auto& keep) {
        bool taken = false;
        try {
            auto desk = db::CheckDatabase::openOnServer(store.server(), name);
            if (!desk)
                throw std::runtime_error(desk.message());
            auto lock = PrintLock::acquire(*desk, 0ms);
            if (!lock)
                std::fprintf(stderr, "%s\n", lock.message().c_str());
            taken = lock.ok();
            keep(taken);
        } catch (const std::exception& error) {
            std::fprintf(stderr, "%s\n", error.what());
        }
        if (!taken)
            keep(false);
        std::raise(SIGKILL); // no lock given back, no connection closed in order
    });
    ASSERT_TRUE(killedDesk->taken());
    EXPECT_FALSE(PrintLock::acquire(*payroll, 100ms)) << "held while the desk runs";
    killedDesk.reset();
    // The server notices the dead session on its own; the other desk's run goes on.
    const Result<PrintLock> after = PrintLock::acquire(*payroll, 5000ms);
    EXPECT_TRUE(after) << after.message();
}

} // namespace
} // namespace velmora::print
