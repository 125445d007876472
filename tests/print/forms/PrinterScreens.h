#pragma once

#include "base/Session.h"
#include "support/Fixtures.h"
#include "support/RecordingNavigator.h"
#include "support/ScriptedDialogs.h"

#include <QObject>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>

namespace velmora::testing {

// The control named `name` under `parent`; a missing one fails the test that looks for it.
template <typename T> T* child(QObject& parent, const char* name) {
    T* found = parent.findChild<T*>(name);
    if (!found)
        throw std::runtime_error(std::string("no control ") + name);
    return found;
}

// The printer screens on a program folder with the check database Payroll.mdb open as the
// session's database, scripted message boxes and a navigator that records where they lead.
class PrinterScreensFixture : public ::testing::Test {
protected:
    PrinterScreensFixture()
        : database(programDir.createDatabase("Payroll", db::DatabaseType::Check)) {
        session.programDir = programDir.dir();
        session.currentDatabase = "Payroll.mdb";
        session.dialogs = &dialogs;
    }

    ProgramDirFixture programDir;
    db::CheckDatabase database;
    ScriptedDialogs dialogs;
    RecordingNavigator navigator;
    Session session;
};

} // namespace velmora::testing
