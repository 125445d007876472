#include "print/printer/PrinterSetup.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace velmora::print {

namespace {

// clang-format off
const char* const kFixedOptions = "Every job is printed on letter paper in portrait orientation, at actual size (never scaled to fit), one copy, whatever the printer's own defaults.";
const char* const kPdfFileNote = "The checks are written to this file and the labels beside it (the same name ending in -labels.pdf). A file is chosen for this session only; the printer chosen before is kept for the next start.";
const char* const kStoppedNote = "Stopped: a job sent to it waits in its queue and does not print until the printer is started again.";
const char* const kRefusingNote = "Not accepting jobs: the print system refuses every job sent to it.";
// clang-format on

constexpr int kKindRole = Qt::UserRole;
constexpr int kNameRole = Qt::UserRole + 1;

QString text(const std::string& value) {
    return QString::fromStdString(value);
}

QString stateOf(const cups::Printer& printer) {
    if (!printer.accepting)
        return "not accepting jobs";
    if (printer.stopped)
        return "stopped";
    return {};
}

} // namespace

// The choices, one line each: the system's default printer, each printer of the print system with
// its description and state, and a PDF file. Returns the row of the `current` choice.
int PrinterSetup::fillList(const PrinterChoice& current) {
    const auto add = [this](const QString& caption, PrinterChoice::Kind kind, const std::string& name) {
        auto* item = new QListWidgetItem(caption, list_);
        item->setData(kKindRole, static_cast<int>(kind));
        item->setData(kNameRole, text(name));
        return item;
    };
    QString defaultName;
    for (const cups::Printer& printer : printers_)
        if (printer.isDefault)
            defaultName = text(printer.name);
    add(defaultName.isEmpty() ? QString("The system's default printer (there is none)")
                              : QString("The system's default printer (%1)").arg(defaultName),
        PrinterChoice::Kind::SystemDefault, "");
    for (const cups::Printer& printer : printers_) {
        QString caption = text(printer.name);
        if (!printer.description.empty())
            caption += " - " + text(printer.description);
        if (const QString state = stateOf(printer); !state.isEmpty())
            caption += " (" + state + ")";
        add(caption, PrinterChoice::Kind::Printer, printer.name);
    }
    add("A PDF file", PrinterChoice::Kind::PdfFile, "");
    // A printer that has gone is shown as it was chosen.
    int row = 0;
    for (int i = 0; i < list_->count(); ++i) {
        const auto kind = static_cast<PrinterChoice::Kind>(list_->item(i)->data(kKindRole).toInt());
        if (kind == current.kind && (kind != PrinterChoice::Kind::Printer ||
                                     list_->item(i)->data(kNameRole).toString() == text(current.name)))
            row = i;
    }
    if (current.kind == PrinterChoice::Kind::Printer && row == 0) {
        QListWidgetItem* gone = add(text(current.name) + " (not found in the print system)",
                                    PrinterChoice::Kind::Printer, current.name);
        list_->insertItem(1, list_->takeItem(list_->row(gone)));
        row = 1;
    }
    return row;
}

PrinterSetup::PrinterSetup(std::vector<cups::Printer> printers, const PrinterChoice& current, QWidget* parent)
    : QDialog(parent)
    , printers_(std::move(printers)) {
    setObjectName("PrinterSetup");
    setWindowTitle("Printer Setup");

    list_ = new QListWidget(this);
    list_->setObjectName("Printers");
    const int currentRow = fillList(current);

    file_ = new QLineEdit(this);
    file_->setObjectName("PdfFile");
    if (current.kind == PrinterChoice::Kind::PdfFile)
        file_->setText(text(current.name));
    browse_ = new QPushButton("&Browse...", this);
    browse_->setObjectName("Browse");
    connect(browse_, &QPushButton::clicked, this, [this] { browse(); });
    details_ = new QLabel(this);
    details_->setObjectName("PrinterDetails");
    details_->setWordWrap(true);
    auto* fixed = new QLabel(kFixedOptions, this);
    fixed->setWordWrap(true);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    ok_->setText("&OK");
    ok_->setObjectName("OK");
    buttons->button(QDialogButtonBox::Cancel)->setText("&Cancel");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("Cancel");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* fileRow = new QHBoxLayout;
    auto* fileLabel = new QLabel("PDF &file:", this);
    fileLabel->setBuddy(file_);
    fileRow->addWidget(fileLabel);
    fileRow->addWidget(file_, 1);
    fileRow->addWidget(browse_);

    auto* layout = new QVBoxLayout(this);
    auto* heading = new QLabel("&Print checks and labels on:", this);
    heading->setBuddy(list_);
    layout->addWidget(heading);
    layout->addWidget(list_, 1);
    layout->addLayout(fileRow);
    layout->addWidget(details_);
    layout->addWidget(fixed);
    layout->addWidget(buttons);

    connect(list_, &QListWidget::currentRowChanged, this, [this] { selectionChanged(); });
    connect(file_, &QLineEdit::textChanged, this, [this] { selectionChanged(); });
    list_->setCurrentRow(currentRow);
    selectionChanged();
    resize(520, 360);
}

PrinterChoice PrinterSetup::choice() const {
    const QListWidgetItem* item = list_->currentItem();
    if (!item)
        return {};
    const auto kind = static_cast<PrinterChoice::Kind>(item->data(kKindRole).toInt());
    if (kind == PrinterChoice::Kind::PdfFile)
        return {kind, file_->text().trimmed().toStdString()};
    return {kind, item->data(kNameRole).toString().toStdString()};
}

void PrinterSetup::selectionChanged() {
    const PrinterChoice chosen = choice();
    const bool toFile = chosen.kind == PrinterChoice::Kind::PdfFile;
    file_->setEnabled(toFile);
    browse_->setEnabled(toFile);
    ok_->setEnabled(!toFile || !chosen.name.empty());
    QString about;
    switch (chosen.kind) {
    case PrinterChoice::Kind::SystemDefault:
        about = "Whichever printer the system uses when none is chosen.";
        break;
    case PrinterChoice::Kind::PdfFile:
        about = kPdfFileNote;
        break;
    case PrinterChoice::Kind::Printer:
        about = "Not found in the print system: nothing can be printed on it.";
        for (const cups::Printer& printer : printers_) {
            if (printer.name == chosen.name)
                about = !printer.accepting ? kRefusingNote : printer.stopped ? kStoppedNote : "Ready.";
        }
        break;
    }
    details_->setText(about);
}

void PrinterSetup::browse() {
    const QString file = QFileDialog::getSaveFileName(this, "PDF file", file_->text(), "PDF files (*.pdf)",
                                                      nullptr, QFileDialog::DontConfirmOverwrite);
    if (!file.isEmpty())
        file_->setText(file);
}

} // namespace velmora::print
