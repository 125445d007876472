#pragma once

#include "base/Dialogs.h"
#include "base/Navigator.h"
#include "base/Session.h"
#include "entry/CheckEntry.h"

#include <QKeySequence>
#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <string_view>
#include <utility>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace velmora::entry {

// The data entry screen (form `Check`): one check record at a time, laid out like a printed check.
// It shows the fields of CheckEntry's current record, hands what the user types back to it and
// forwards every command; the rules live in CheckEntry.
//
// Text boxes hand over every keystroke. The amount and the check number are handed over when the
// user presses Return or leaves the box, and before every command; a value the field cannot hold is
// refused with a message and stays in its box, selected, with the focus, and commands wait until it
// is corrected. Warnings never stop the user: the boxes they are about are tinted, and a line under
// the check says them.
class CheckScreen : public QMainWindow {
    Q_OBJECT
public:
    CheckScreen(Session& session, Navigator& navigator, Dialogs& dialogs, QWidget* parent = nullptr);
    ~CheckScreen() override;

    // Opens the session's current database. A file that is not a usable check database is reported,
    // the database selection screen comes back and false is returned; the caller then drops the form.
    bool load();

    CheckEntry& entry() { return entry_; }
    // Reads the settings file again after program setup: fills the product type list anew (its text
    // stays) and shows the warnings that follow from the options.
    void reloadSettings();
    // Shows the current record as it is stored now, after another screen saved it (the register,
    // which voids checks). The record was saved before that screen opened.
    void readRecordAgain();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A text box bound to a field of the check record, with the text the record holds and why the
    // text in the box was refused ("" when it was not).
    struct Binding {
        QWidget* box;
        const char* field;
        QString shown;
        QString refusal;
    };

    void buildControls();
    // Parts of the check: the print options top middle, the MICR line, the buttons along the bottom.
    void buildPrintOptions();
    void buildMicrLine();
    void buildButtons();
    void buildMenus();
    void buildWarningLine();
    void fillProductTypes();
    void orderTabsByBlocks();
    QLabel* caption(const QString& text, int left, int top, QWidget* buddy, int width = 0);
    QLineEdit* textBox(const char* name, const char* field, int left, int top, int width);
    QPushButton* button(const char* name, const QString& text, int left, int width);
    QAction* menuEntry(class QMenu* menu, const char* name, const QString& text);
    void place(QWidget* widget, int left, int top, int width, int height) const;
    int pixels(int twips) const;

    // Record <-> screen.
    void showRecord();
    void showWarnings();
    void sayWarnings(const QStringList& warnings);
    QString boxText(const Binding& binding) const;
    // Hands the box's text to the record; false when it was refused (the box then has the focus).
    bool takeTyped(Binding& binding);
    // Every box, up to the first refused one.
    bool takeAllTyped();
    // Every box handed over and the record saved; false (the messages said why) when either failed.
    bool saveShown();
    Binding* bindingOf(const QObject* box);
    Binding* bindingOf(std::string_view field);

    // Commands.
    template <typename Command> void run(Command&& command);
    void leaveTo(std::string_view next);
    void exitProgram();

    Session& session_;
    Navigator& navigator_;
    Dialogs& dialogs_;
    CheckEntry entry_;
    std::vector<Binding> bindings_;
    std::vector<std::pair<QKeySequence, QPushButton*>> buttonKeys_;
    QComboBox* printOptions_ = nullptr;
    QComboBox* productTypes_ = nullptr;
    QCheckBox* printLabel_ = nullptr;
    QLabel* recordId_ = nullptr;
    QLabel* warningLine_ = nullptr;
    QLabel* searchLine_ = nullptr;
    QWidget* canvas_ = nullptr;
    double pixelsPerTwip_ = 1.0 / 15;
    bool leaving_ = false;
    bool showingRecord_ = false; // the boxes change, the user types nothing
    bool refusing_ = false;      // a refusal's message is up
};

} // namespace velmora::entry
