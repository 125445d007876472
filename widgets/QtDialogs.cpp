#include "widgets/QtDialogs.h"

#include "base/Product.h"

#include <QApplication>
#include <QFontMetrics>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

namespace velmora::widgets {

namespace {

// The width of an input box's prompt, in average characters.
constexpr int kPromptCharacters = 60;

QString titleOf(const std::string& title) {
    return QString::fromStdString(title.empty() ? std::string(product::kName) : title);
}

QMessageBox::StandardButton buttonOf(DialogAnswer answer) {
    switch (answer) {
    case DialogAnswer::Cancel:
        return QMessageBox::Cancel;
    case DialogAnswer::Yes:
        return QMessageBox::Yes;
    case DialogAnswer::No:
        return QMessageBox::No;
    default:
        return QMessageBox::Ok;
    }
}

} // namespace

DialogAnswer QtDialogs::show(const MessageBox& box) {
    QMessageBox message(QApplication::activeWindow());
    message.setWindowTitle(titleOf(box.title));
    message.setText(QString::fromStdString(box.text));
    switch (box.icon) {
    case DialogIcon::Information:
        message.setIcon(QMessageBox::Information);
        break;
    case DialogIcon::Exclamation:
        message.setIcon(QMessageBox::Warning);
        break;
    case DialogIcon::Critical:
        message.setIcon(QMessageBox::Critical);
        break;
    case DialogIcon::Question:
        message.setIcon(QMessageBox::Question);
        break;
    case DialogIcon::None:
        break;
    }
    switch (box.buttons) {
    case DialogButtons::Ok:
        message.setStandardButtons(QMessageBox::Ok);
        break;
    case DialogButtons::OkCancel:
        message.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case DialogButtons::YesNo:
        message.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case DialogButtons::YesNoCancel:
        message.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    message.setDefaultButton(buttonOf(box.defaultAnswer));
    switch (message.exec()) {
    case QMessageBox::Yes:
        return DialogAnswer::Yes;
    case QMessageBox::No:
        return DialogAnswer::No;
    case QMessageBox::Cancel:
        return DialogAnswer::Cancel;
    default:
        return box.buttons == DialogButtons::YesNo ? DialogAnswer::No : DialogAnswer::Ok;
    }
}

std::optional<std::string> QtDialogs::input(const InputBox& box) {
    QInputDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(titleOf(box.title));
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setLabelText(QString::fromStdString(box.prompt));
    dialog.setTextValue(QString::fromStdString(box.defaultText));
    // A long prompt wraps at the width of an ordinary dialog instead of stretching the box across
    // the screen on one line.
    const int promptWidth = QFontMetrics(dialog.font()).averageCharWidth() * kPromptCharacters;
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
        label->setWordWrap(true);
        label->setFixedWidth(promptWidth);
    }
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue().toStdString();
}

} // namespace velmora::widgets
