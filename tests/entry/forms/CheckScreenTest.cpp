#include "entry/forms/CheckScreen.h"

#include "app/SettingsStore.h"
#include "base/Clock.h"
#include "support/Fixtures.h"
#include "support/MenuKeys.h"
#include "support/OrderForms.h"
#include "support/RecordingNavigator.h"
#include "support/ScriptedDialogs.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <fstream>
#include <gtest/gtest.h>
#include <set>

namespace velmora {
namespace {

using db::DatabaseType;
using entry::CheckScreen;
using testing::addCheck;
using testing::readCheck;
using testing::setCheckFields;
using Strings = std::vector<std::string>;

class CheckScreenTest : public ::testing::Test {
protected:
    CheckScreenTest() {
        Clock::setToday(Date{2024, 3, 7});
        session.programDir = program.dir();
        session.currentDatabase = "Payroll.mdb";
        session.dialogs = &dialogs;
    }
    ~CheckScreenTest() override { Clock::setToday(std::nullopt); }

    db::CheckDatabase& create(DatabaseType type, testing::FieldValues templateFields) {
        database.emplace(program.createDatabase("Payroll", type));
        setCheckFields(*database, 1, templateFields);
        return *database;
    }
    // Opens the screen as the flow does, shown and active so that its keys work.
    CheckScreen& open() {
        form = std::make_unique<CheckScreen>(session, navigator, dialogs);
        EXPECT_TRUE(form->load());
        form->show();
        form->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
        return *form;
    }

    template <typename T> T* child(const char* name) {
        T* widget = form->findChild<T*>(name);
        EXPECT_NE(widget, nullptr) << "no control named " << name;
        return widget;
    }
    std::string text(const char* box) { return child<QLineEdit>(box)->text().toStdString(); }
    void click(const char* name) { QTest::mouseClick(child<QPushButton>(name), Qt::LeftButton); }
    void choose(const char* action) { child<QAction>(action)->trigger(); }
    void type(const char* box, const QString& typed) {
        QLineEdit* edit = child<QLineEdit>(box);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, typed);
        QTest::keyClick(edit, Qt::Key_Return);
    }
    void pick(const char* combo, const QString& entry) {
        QComboBox* list = child<QComboBox>(combo);
        const int index = list->findText(entry);
        ASSERT_GE(index, 0) << entry.toStdString();
        list->setCurrentIndex(index);
        Q_EMIT list->activated(index);
    }
    std::int64_t shownId() { return child<QLabel>("Label11")->text().toLongLong(); }

    testing::ProgramDirFixture program;
    std::optional<db::CheckDatabase> database;
    testing::ScriptedDialogs dialogs;
    testing::RecordingNavigator navigator;
    Session session;
    std::unique_ptr<CheckScreen> form;
};

TEST_F(CheckScreenTest, OpensOnTheLastCheckAfterTheNoteAndDatesTheTemplate) {
    create(DatabaseType::Draft, {});
    addCheck(*database, {{"PayTo", "Ann"}, {"Amount", db::Money::fromCents(1250)}, {"Check", 455}});
    const auto last = addCheck(*database, {{"PayTo", "Bob"}, {"Check", 456}, {"Print", "Once"}});
    open();

    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].title, "Note");
    EXPECT_EQ(readCheck(*database, 1).date, "3/7/2024");
    EXPECT_EQ(form->windowTitle(), "Draft Database: Payroll");
    EXPECT_EQ(shownId(), last);
    EXPECT_EQ(text("PayToOrderOf"), "Bob");
    EXPECT_EQ(text("CheckNumber"), "456");
    EXPECT_EQ(child<QComboBox>("Combo1")->currentText(), "One Time");
    EXPECT_EQ(child<QLineEdit>("ABA")->font().family(), "MICR65");
}

// The boxes show the record the core has current, the amount with its two decimals; the messages at
// the ends of the set are the core's (CheckEntryTest).
TEST_F(CheckScreenTest, MovingShowsEachRecordInItsBoxes) {
    create(DatabaseType::Draft, {{"PayTo", "Velmora"}});
    const auto ann =
        addCheck(*database, {{"PayTo", "Ann"}, {"Amount", db::Money::fromCents(1250)}, {"Check", 455}});
    open();

    click("Next"); // past the end: the last record stays
    EXPECT_EQ(shownId(), ann);
    EXPECT_EQ(text("PayToOrderOf"), "Ann");
    EXPECT_EQ(text("CheckAmount"), "12.50");
    EXPECT_EQ(text("CheckNumber"), "455");
    click("Previous");
    EXPECT_EQ(shownId(), 1);
    EXPECT_EQ(text("PayToOrderOf"), "Velmora");
    EXPECT_EQ(text("CheckAmount"), "");
}

// The rules of New are the core's; the screen shows the new record and greys the label box of the
// template in a check database.
TEST_F(CheckScreenTest, NewShowsTheNewCheckAndTheTemplatesLabelBoxIsGreyed) {
    create(DatabaseType::Check, {{"BusinessName", "Acme"}});
    addCheck(*database, {{"Check", 455}, {"LabelPrint", true}});
    open();
    EXPECT_EQ(child<QCheckBox>("PrintLabel")->checkState(), Qt::Checked);

    click("New");
    EXPECT_EQ(text("CheckNumber"), "456");
    EXPECT_EQ(text("Text3"), "Acme");
    EXPECT_EQ(text("CheckDate"), "3/7/2024");
    EXPECT_EQ(child<QComboBox>("Combo1")->currentText(), "One Time");
    EXPECT_EQ(child<QCheckBox>("PrintLabel")->checkState(), Qt::Unchecked);
    EXPECT_EQ(form->windowTitle(), "Check Database: Payroll");

    choose("MProperties");
    EXPECT_TRUE(child<QCheckBox>("PrintLabel")->isTristate());
    EXPECT_EQ(child<QCheckBox>("PrintLabel")->checkState(), Qt::PartiallyChecked);
}

TEST_F(CheckScreenTest, ListsStoreMonthlyAndCopyTheProductTypeIntoTheMemo) {
    create(DatabaseType::Draft, {{"PayTo", "Velmora"}});
    const auto id = addCheck(*database, {{"For", "typed memo"}});
    open();
    EXPECT_EQ(child<QComboBox>("Combo1")->currentIndex(), -1); // no print option: blank
    EXPECT_FALSE(child<QComboBox>("Combo2")->isHidden());

    pick("Combo1", "Multiple Times");
    pick("Combo2", "Rent");
    EXPECT_EQ(readCheck(*database, id).print, "Monthly");
    EXPECT_EQ(readCheck(*database, id).businessType, "Rent");
    EXPECT_EQ(readCheck(*database, id).memo, "Rent");
    EXPECT_EQ(text("Draft"), "Rent");

    click("Previous");
    click("Next");
    EXPECT_EQ(child<QComboBox>("Combo1")->currentText(), "Multiple Times");
    EXPECT_EQ(child<QComboBox>("Combo2")->currentText(), "Rent");
}

TEST_F(CheckScreenTest, AnEmptyFirstProductTypeHidesTheList) {
    create(DatabaseType::Draft, {{"PayTo", "Velmora"}});
    app::SettingsStore::open(program.dir())
        ->connection()
        .exec("UPDATE BusinessType SET BusinessType = '' WHERE ID = 1");
    open();
    EXPECT_TRUE(child<QComboBox>("Combo2")->isHidden());
}

TEST_F(CheckScreenTest, AFileThatIsNotACheckDatabaseIsReportedAndTheSelectionComesBack) {
    std::ofstream(program.dir() / "Junk.mdb") << "not a database";
    session.currentDatabase = "Junk.mdb";
    CheckScreen screen(session, navigator, dialogs);
    EXPECT_FALSE(screen.load());
    EXPECT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(navigator.calls, Strings{"FileOpen"});
}

TEST_F(CheckScreenTest, ARefusedAmountOrNumberStaysSelectedInItsBoxUntilCorrected) {
    create(DatabaseType::Draft, {{"PayTo", "Velmora"}});
    const auto id = addCheck(*database, {{"Amount", db::Money::fromCents(1000)}, {"Check", 500}});
    open();
    QLineEdit* amount = child<QLineEdit>("CheckAmount");
    amount->setFocus();
    amount->selectAll();
    QTest::keyClicks(amount, "12.345");
    QTest::keyClick(amount, Qt::Key_Tab); // leaving the box hands it over
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_NE(dialogs.shown()[0].text.find("two decimals"), std::string::npos);
    EXPECT_EQ(amount->text(), "12.345");
    EXPECT_TRUE(amount->hasFocus());
    EXPECT_EQ(amount->selectedText(), "12.345");
    EXPECT_NE(child<QLabel>("WarningLine")->text().indexOf("two decimals"), -1);

    // Commands wait for it, each attempt saying why once.
    click("Previous");
    EXPECT_EQ(dialogs.shown().size(), 2u);
    EXPECT_EQ(shownId(), id);
    EXPECT_EQ(amount->text(), "12.345");
    choose("MExit"); // the question's default is to stay
    EXPECT_EQ(dialogs.shown().size(), 4u);
    EXPECT_TRUE(navigator.calls.empty());
    EXPECT_EQ(readCheck(*database, id).amount, db::Money::fromCents(1000));

    QTest::keyClicks(amount, "99.5"); // replaces the selection
    QTest::keyClick(amount, Qt::Key_Return);
    QLineEdit* number = child<QLineEdit>("CheckNumber");
    number->setFocus();
    number->selectAll();
    QTest::keyClicks(number, "12x");
    QTest::keyClick(number, Qt::Key_Return);
    EXPECT_EQ(dialogs.shown().size(), 5u);
    EXPECT_EQ(number->text(), "12x");
    EXPECT_EQ(number->selectedText(), "12x");
    // Another box cannot take the focus from it.
    child<QLineEdit>("PayToOrderOf")->setFocus();
    EXPECT_EQ(dialogs.shown().size(), 6u);
    EXPECT_TRUE(number->hasFocus());

    QTest::keyClicks(number, "501");
    choose("FileSave");
    EXPECT_EQ(dialogs.shown().size(), 6u);
    EXPECT_TRUE(child<QLabel>("WarningLine")->text().isEmpty());
    EXPECT_EQ(readCheck(*database, id).amount, db::Money::fromCents(9950));
    EXPECT_EQ(readCheck(*database, id).check, 501);
}

TEST_F(CheckScreenTest, ExitAsksBeforeGivingUpACheckThatCannotBeSaved) {
    create(DatabaseType::Draft, {{"PayTo", "Velmora"}});
    const auto id = addCheck(*database, {{"PayTo", "Ann"}});
    open();
    type("PayToOrderOf", "Annie");
    database->connection().exec("CREATE TRIGGER NoChanges BEFORE UPDATE ON Account "
                                "BEGIN SELECT RAISE(ABORT, 'changes are locked'); END");

    choose("MExit");
    ASSERT_EQ(dialogs.shown().size(), 2u);
    EXPECT_NE(dialogs.shown()[0].text.find("changes are locked"), std::string::npos);
    EXPECT_EQ(dialogs.shown()[1].buttons, DialogButtons::YesNo);
    EXPECT_EQ(dialogs.shown()[1].defaultAnswer, DialogAnswer::No);
    EXPECT_TRUE(navigator.calls.empty());
    EXPECT_TRUE(form->entry().isOpen());
    EXPECT_EQ(text("PayToOrderOf"), "Annie");

    // The window's close button asks the same.
    form->close();
    EXPECT_EQ(dialogs.shown().size(), 4u);
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(navigator.calls.empty());

    dialogs.queueAnswer(DialogAnswer::Ok);
    dialogs.queueAnswer(DialogAnswer::Yes);
    choose("MExit");
    EXPECT_EQ(navigator.calls, Strings{"exitProgram"});
    EXPECT_FALSE(form->entry().isOpen());
    EXPECT_EQ(readCheck(*database, id).payTo, "Ann");
}

TEST_F(CheckScreenTest, WarningsTintTheirBoxesAndAreSaidUnderTheCheck) {
    create(DatabaseType::Draft, {{"PayTo", "Velmora"}, {"Check", 456}});
    addCheck(*database, {{"Check", 457}, {"ABA", "071000013"}});
    open();
    QLabel* line = child<QLabel>("WarningLine");
    auto base = [&](const char* box) { return child<QWidget>(box)->palette().color(QPalette::Base); };
    const QColor plain = base("ABA");
    auto says = [&](const char* words) { return line->text().indexOf(words) >= 0; };
    EXPECT_TRUE(line->text().isEmpty());

    type("ABA", "071000014");
    EXPECT_NE(base("ABA"), plain);
    EXPECT_TRUE(says("check digit"));
    EXPECT_FALSE(child<QWidget>("ABA")->toolTip().isEmpty());

    // The account number gets the same warning for what the MICR font cannot draw.
    type("Account", "12-34 x56");
    EXPECT_NE(base("Account"), plain);
    EXPECT_TRUE(says("\"-\" \"x\"")) << line->text().toStdString();
    type("Account", "12D34 d56");
    EXPECT_EQ(base("Account"), plain);

    type("CheckNumber", "456");
    EXPECT_NE(base("CheckNumber"), plain);
    EXPECT_TRUE(says("Another check in this database has the number 456."));

    // A payee longer than its printed line.
    type("PayToOrderOf", QString(60, 'W'));
    EXPECT_NE(base("PayToOrderOf"), plain);
    EXPECT_TRUE(says("payee"));
    type("PayToOrderOf", "Ann Smith");
    EXPECT_EQ(base("PayToOrderOf"), plain);
    EXPECT_FALSE(says("payee"));

    type("ABA", "071000013");
    type("CheckNumber", "458");
    EXPECT_TRUE(line->text().isEmpty());
    EXPECT_EQ(base("ABA"), plain);
    EXPECT_TRUE(dialogs.shown().empty()); // never a message box
}

TEST_F(CheckScreenTest, LeavingSavesTheRecordFirst) {
    create(DatabaseType::Draft, {{"PayTo", "Velmora"}});
    const auto id = addCheck(*database, {{"PayTo", "Ann"}});
    open();

    type("PayToOrderOf", "Annie");
    child<QPlainTextEdit>("OptComts")->setPlainText("line one\nline two");
    click("Command5");
    EXPECT_EQ(navigator.calls, Strings{"PrinterControl"});
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(readCheck(*database, id).payTo, "Annie");
    EXPECT_EQ(readCheck(*database, id).comments, "line one\r\nline two");

    open();
    type("PayToOrderOf", "Anne");
    choose("MExit");
    EXPECT_EQ(navigator.calls, (Strings{"PrinterControl", "exitProgram"}));
    EXPECT_EQ(readCheck(*database, id).payTo, "Anne");
    EXPECT_FALSE(form->entry().isOpen());
}

TEST_F(CheckScreenTest, MenusHoldTheirEntriesInOrder) {
    create(DatabaseType::Draft, {{"PayTo", "Velmora"}});
    open();
    auto names = [&](const char* menu) {
        Strings found;
        for (QAction* action : child<QMenu>(menu)->actions())
            found.push_back(action->objectName().toStdString());
        return found;
    };
    EXPECT_EQ(names("FileMenu"), (Strings{"ExportMenu", "RegisterMenu", "VoidMenu", "MProperties", "Open",
                                          "Paste", "MPrint", "Setup", "FileSave", "MExit"}));
    EXPECT_EQ(names("SearchMenu"), (Strings{"AllInAccount", "ViewByName", "LastName", "FirstName", "CheckNum",
                                            "AccountNumber", "ByMemoField", "ByComments"}));
    EXPECT_EQ(child<QMenu>("HelpMenu")->actions().size(), 10);
    EXPECT_EQ(child<QAction>("hcns")->text(), "Check Numbers");
    EXPECT_EQ(child<QAction>("Paste")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_P));
    EXPECT_EQ(child<QAction>("FilePrint")->text(), "&Print");

    // The File menu's access keys each choose one entry.
    std::set<QChar> keys;
    int marked = 0;
    for (QAction* action : child<QMenu>("FileMenu")->actions()) {
        const qsizetype amp = action->text().indexOf('&');
        if (amp >= 0) {
            keys.insert(action->text().at(amp + 1).toLower());
            ++marked;
        }
    }
    EXPECT_EQ(keys.size(), static_cast<std::size_t>(marked));
    EXPECT_EQ(child<QAction>("VoidMenu")->text(), "&Void a Printed Check...");

    choose("RegisterMenu");
    choose("Open");
    EXPECT_EQ(navigator.calls, (Strings{"Register", "FileOpen"}));
}

TEST_F(CheckScreenTest, SearchEntriesShowTheMatchesAndExportSavesFirst) {
    create(DatabaseType::Draft, {{"PayTo", "Velmora"}});
    const auto a = addCheck(*database, {{"PayTo", "Ann"}, {"Check", 145}});
    addCheck(*database, {{"PayTo", "Bob"}, {"Check", 300}});
    const auto c = addCheck(*database, {{"PayTo", "Cy"}, {"Check", 4500}});
    open();
    Strings captions;
    for (QAction* action : child<QMenu>("SearchMenu")->actions())
        captions.push_back(action->text().toStdString());
    EXPECT_EQ(captions, (Strings{"View &All Checks in Database (default)", "By &Business Name",
                                 "By &Last Name", "By First &Name", "By &Check Number", "By A&ccount Number",
                                 "By Memo Field", "By Comments"}));

    dialogs.clear();
    dialogs.queueInput("45");
    choose("CheckNum");
    EXPECT_EQ(shownId(), a);
    EXPECT_EQ(text("PayToOrderOf"), "Ann");
    click("Next");
    EXPECT_EQ(shownId(), c);
    EXPECT_EQ(text("CheckNumber"), "4500");

    dialogs.queueInput("' OR 1=1 --");
    choose("ViewByName");
    EXPECT_EQ(dialogs.shownTexts(), Strings{"There were no matches - please try again"});
    EXPECT_EQ(shownId(), 1);
    EXPECT_EQ(text("PayToOrderOf"), "Velmora");

    // Export: what was typed is saved before the export screen opens over this one.
    type("PayToOrderOf", "Velmora Inc.");
    choose("ExportMenu");
    EXPECT_EQ(navigator.calls, Strings{"ExportFile"});
    EXPECT_EQ(readCheck(*database, 1).payTo, "Velmora Inc.");
    EXPECT_TRUE(form->isVisible());
}

TEST_F(CheckScreenTest, PastingAnOrderFormFromTheClipboardFillsANewCheckOnTheScreen) {
    create(DatabaseType::Draft, {{"PayTo", "Velmora"}});
    const auto ann = addCheck(*database, {{"BusinessName", "Acme"}, {"FirstName", "Ann"}, {"Check", 1500}});
    open();
    // What is typed but not yet handed over is saved before the import leaves the check.
    child<QLineEdit>("PayToOrderOf")->setFocus();
    QTest::keyClicks(child<QLineEdit>("PayToOrderOf"), "Annie");
    QGuiApplication::clipboard()->setText(
        QString::fromUtf8(std::string(testing::kOrderForm) + "\r\n" + testing::kCardLines));

    // The screen shows the numbers while the verification is told.
    std::string routingShown;
    dialogs.onShow = [&] { routingShown = text("ABA"); };
    QTest::keyClick(form.get(), Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(dialogs.shownTexts(),
              (Strings{"CheckNumber \"1234567\" in the order form has more digits than the check number "
                       "takes (6): only \"123456\" was imported. Correct the check number before you print "
                       "the check.",
                       "Routing and Account numbers were successfully verified to the Bottom Check Row!"}));
    EXPECT_EQ(routingShown, "123000220");
    dialogs.onShow = nullptr;
    EXPECT_GT(shownId(), ann);
    EXPECT_EQ(text("Text3"), "Harbor Lane Bakery");
    EXPECT_EQ(text("Text1"), "Maria");
    EXPECT_EQ(text("Bank"), "First Pacific Bank");
    EXPECT_EQ(text("ABA"), "123000220");
    EXPECT_EQ(text("CheckNumber"), "123456");
    EXPECT_EQ(text("CheckAmount"), "45.50");
    EXPECT_EQ(text("PayToOrderOf"), "Velmora");
    EXPECT_EQ(child<QComboBox>("Combo1")->currentText(), "One Time");
    const QString comments = child<QPlainTextEdit>("OptComts")->toPlainText();
    EXPECT_TRUE(comments.startsWith("BankPhoneNumber: (503) 555-0100\nEMailAddress: maria@example.com\n"))
        << comments.toStdString();
    EXPECT_TRUE(comments.endsWith("\nCardType: Visa")) << comments.toStdString();
    EXPECT_EQ(readCheck(*database, shownId()).firstName, "Maria");
    EXPECT_EQ(readCheck(*database, ann).payTo, "Annie");

    // From the File menu, onto the check just imported with its business name cleared: it holds an
    // order all the same, which a paste never overwrites, so the new order goes into a new check. A
    // value the amount cannot hold is named, the rest is imported.
    child<QLineEdit>("Text3")->setFocus();
    child<QLineEdit>("Text3")->selectAll();
    QTest::keyClick(child<QLineEdit>("Text3"), Qt::Key_Delete);
    const auto id = shownId();
    QGuiApplication::clipboard()->setText("CustomerLastName: Ames\nTotalCost: $12.00\n");
    dialogs.clear();
    choose("Paste");
    EXPECT_GT(shownId(), id);
    EXPECT_EQ(text("Text2"), "Ames");
    EXPECT_EQ(text("CheckAmount"), "");
    EXPECT_EQ(readCheck(*database, id).lastName, "Delgado");
    EXPECT_EQ(readCheck(*database, id).businessName, "");
    ASSERT_EQ(dialogs.shown().size(), 2u);
    EXPECT_NE(dialogs.shown()[0].text.find("TotalCost \"$12.00\""), std::string::npos);
    EXPECT_EQ(dialogs.shown()[1].text,
              "The bottom check row field to verify account and routing numbers does not exist!");
    EXPECT_EQ(child<QAction>("Paste")->text(), "&Paste Order Form (Order Importer)");
}

TEST_F(CheckScreenTest, TabFollowsTheBlocksOfACheckAndTheWindowKeepsItsSize) {
    create(DatabaseType::Draft, {{"PayTo", "Velmora"}});
    addCheck(*database, {{"PayTo", "Ann"}});
    open();

    // The control the focus is in, by the name of the control it belongs to (a list's own line edit
    // is part of the list).
    auto focused = [] {
        QWidget* widget = QApplication::focusWidget();
        while (widget && (widget->objectName().isEmpty() || widget->objectName().startsWith("qt_")))
            widget = widget->parentWidget();
        return widget ? widget->objectName().toStdString() : std::string();
    };
    child<QWidget>("Text3")->setFocus();
    Strings order;
    for (int i = 0; i < 29; ++i) {
        order.push_back(focused());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    const Strings expected = {"Text3",       "Text1",     "Text2",     "Address",      "City",
                              "State",       "Zip",       "Phone",     "PayToOrderOf", "CheckAmount",
                              "Bank",        "BankCity",  "BankState", "Draft",        "Combo2",
                              "ABA",         "Account",   "OptComts",  "Combo1",       "PrintLabel",
                              "CheckNumber", "CheckDate", "Command5",  "Save",         "Previous",
                              "Next",        "New",       "Delete",    "Text3"};
    EXPECT_EQ(order, expected);
    EXPECT_EQ(child<QPlainTextEdit>("OptComts")->toPlainText(), ""); // Tab left the comments box

    // The window keeps the size of the check it shows.
    const QSize size = form->size();
    form->resize(size + QSize(400, 300));
    EXPECT_EQ(form->size(), size);
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
}

TEST_F(CheckScreenTest, AccessKeysClickTheirButtons) {
    create(DatabaseType::Draft, {{"PayTo", "Velmora"}});
    addCheck(*database, {{"PayTo", "Ann"}});
    open();
    child<QWidget>("Text3")->setFocus();

    // An access key clicks its button the way a mouse does, a moment later.
    auto press = [&](Qt::Key key, auto&& done) {
        QTest::keyClick(QApplication::focusWidget(), key, Qt::AltModifier);
        return QTest::qWaitFor(done, 2000);
    };
    EXPECT_TRUE(press(Qt::Key_E, [&] { return text("CheckNumber") == "1"; }));
    EXPECT_TRUE(press(Qt::Key_N, [&] {
        return dialogs.shownTexts() ==
               Strings{"This is the last check in the account - choose NEW to create a new check."};
    }));
    dialogs.queueAnswer(DialogAnswer::Yes);
    EXPECT_TRUE(press(Qt::Key_D, [&] { return dialogs.shown().size() == 2; }));
    EXPECT_EQ(dialogs.shown().back().title, "WARNING");
    EXPECT_TRUE(press(Qt::Key_P, [&] { return text("PayToOrderOf") == "Velmora"; }));
}

TEST_F(CheckScreenTest, TheKeyboardReachesEveryMenuAndNewStartsAtTheFirstBox) {
    create(DatabaseType::Draft, {{"PayTo", "Velmora"}});
    addCheck(*database, {{"PayTo", "Ann"}});
    open();
    QMenuBar* bar = form->menuBar();
    child<QWidget>("CheckAmount")->setFocus();
    EXPECT_TRUE(testing::menuBarOpensFromTheKeyboard(*bar));

    // In the Search menu C is both "By &Check Number" and "By A&ccount Number": it moves between
    // them and starts neither search; Return starts the one reached.
    QMenu* search = child<QMenu>("SearchMenu");
    search->popup(form->mapToGlobal(QPoint(0, 0)));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(search));
    QTest::keyClick(search, Qt::Key_C);
    EXPECT_EQ(search->activeAction(), child<QAction>("CheckNum"));
    QTest::keyClick(search, Qt::Key_C);
    EXPECT_EQ(search->activeAction(), child<QAction>("AccountNumber"));
    EXPECT_TRUE(dialogs.asked().empty());
    dialogs.queueInput(std::nullopt);
    QTest::keyClick(search, Qt::Key_Return);
    ASSERT_EQ(dialogs.asked().size(), 1u);
    EXPECT_NE(dialogs.asked()[0].prompt.find("ACCOUNT NUMBER"), std::string::npos);

    // The comments box shows that it has the focus.
    EXPECT_TRUE(testing::focusIsVisible(*child<QPlainTextEdit>("OptComts"), *child<QWidget>("Text3")));

    // New puts the focus in the new check's first box, wherever it was.
    child<QPushButton>("Delete")->setFocus();
    click("New");
    EXPECT_EQ(QApplication::focusWidget(), child<QWidget>("Text3"));

    // Alt+P on the check moves to the previous record; from the bar P reaches the Print menu, and
    // Return chooses it.
    testing::pressAltAlone(QApplication::focusWidget());
    ASSERT_EQ(QApplication::focusWidget(), bar);
    QTest::keyClick(bar, Qt::Key_P);
    EXPECT_EQ(bar->activeAction(), child<QAction>("FilePrint"));
    QTest::keyClick(bar, Qt::Key_Return);
    EXPECT_EQ(navigator.calls, Strings{"PrinterControl"});
}

TEST_F(CheckScreenTest, EveryWarningAndTheSearchInForceAreSaidInFull) {
    create(DatabaseType::Check, {{"BusinessName", "Harbor Lane Bakery"}, {"FirstName", "Maria"}});
    addCheck(*database, {{"Check", 457}, {"BusinessName", "Harbor Lane Bakery"}});
    addCheck(*database, {{"Check", 458}, {"BusinessName", "Quayside Fish"}});
    open();
    QLabel* line = child<QLabel>("WarningLine");

    // Three warnings at once: each is there in full, none hidden behind a count.
    type("PayToOrderOf", QString(60, 'W'));
    type("ABA", "07100001X");
    type("Account", "12-34");
    const QStringList said = line->text().split('\n');
    ASSERT_EQ(said.size(), 3) << line->text().toStdString();
    for (const QString& warning : said)
        EXPECT_FALSE(warning.contains("more") || warning.endsWith(QChar(0x2026))) << warning.toStdString();
    EXPECT_GE(line->height(), line->heightForWidth(line->width()));

    // A search in force is said under the check until all checks are shown again.
    QLabel* searchLine = child<QLabel>("SearchLine");
    EXPECT_FALSE(searchLine->isVisible());
    dialogs.queueInput("Bakery");
    choose("ViewByName");
    EXPECT_TRUE(searchLine->isVisible());
    EXPECT_TRUE(searchLine->text().contains("\"Bakery\" in their Business Name"))
        << searchLine->text().toStdString();
    EXPECT_TRUE(searchLine->text().contains("View All Checks"));
    choose("AllInAccount");
    EXPECT_FALSE(searchLine->isVisible());

    // The first check of a check database is also blank stock's: a name too long for it is said.
    choose("MProperties");
    type("Text3", QString("Harbor Lane Bakery and Pastry Shop of Greater Portland"));
    EXPECT_TRUE(line->text().contains("too long for blank stock")) << line->text().toStdString();
    EXPECT_TRUE(line->text().contains("blank checks"));
    click("Next");
    EXPECT_FALSE(line->text().contains("blank stock")) << "an ordinary check prints on no blank stock";
}

TEST_F(CheckScreenTest, TheMemoCaptionSitsUnderTheMemoAndTheButtonsKeepApart) {
    create(DatabaseType::Draft, {{"PayTo", "Velmora"}});
    open();
    const QRect memo = child<QWidget>("Draft")->geometry();
    const QRect caption = child<QLabel>("MemoCaption")->geometry();
    EXPECT_EQ(caption.left(), memo.left());
    EXPECT_GE(caption.top(), memo.bottom());
    EXPECT_FALSE(caption.intersects(child<QWidget>("Combo2")->geometry()));
    QList<QPushButton*> buttons;
    for (const char* name : {"Command5", "Save", "Previous", "Next", "New", "Delete"})
        buttons.append(child<QPushButton>(name));
    for (qsizetype i = 1; i < buttons.size(); ++i)
        EXPECT_GE(buttons[i]->geometry().left() - buttons[i - 1]->geometry().right(), 6)
            << buttons[i]->objectName().toStdString();
}

} // namespace
} // namespace velmora
