#include "widgets/QtDialogs.h"

#include "base/Product.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

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

// The table of a list to tick: Space ticks the selected rows, or clears them when all are ticked.
class TickTable : public QTableWidget {
public:
    using QTableWidget::QTableWidget;

    // The rows of `list` under its column titles, none ticked, the tick in the first column.
    static TickTable* of(const ChoiceList& list, QWidget* parent) {
        auto* table =
            new TickTable(static_cast<int>(list.rows.size()), static_cast<int>(list.columns.size()), parent);
        table->setObjectName("Choices");
        QStringList headers;
        for (const std::string& column : list.columns)
            headers << QString::fromStdString(column);
        table->setHorizontalHeaderLabels(headers);
        table->setEditTriggers(QAbstractItemView::NoEditTriggers);
        table->setSelectionBehavior(QAbstractItemView::SelectRows);
        table->setSelectionMode(QAbstractItemView::ExtendedSelection);
        table->verticalHeader()->hide();
        for (int row = 0; row < table->rowCount(); ++row) {
            const auto& cells = list.rows[static_cast<std::size_t>(row)];
            for (int column = 0; column < table->columnCount(); ++column) {
                auto* cell = new QTableWidgetItem(static_cast<std::size_t>(column) < cells.size()
                                                      ? QString::fromStdString(cells[column])
                                                      : QString());
                cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable |
                               (column == 0 ? Qt::ItemIsUserCheckable : Qt::NoItemFlags));
                if (column == 0)
                    cell->setCheckState(Qt::Unchecked);
                table->setItem(row, column, cell);
            }
        }
        table->resizeColumnsToContents();
        // A run's checks are seen at once, up to a page of them; a longer run scrolls.
        constexpr int kRowsShown = 12;
        table->setMinimumHeight(table->horizontalHeader()->sizeHint().height() +
                                std::min(table->rowCount(), kRowsShown) *
                                    table->verticalHeader()->defaultSectionSize() +
                                2 * table->frameWidth());
        table->horizontalHeader()->setStretchLastSection(true);
        return table;
    }

    void tickSelected() {
        const QModelIndexList rows = selectionModel()->selectedRows();
        bool allTicked = !rows.isEmpty();
        for (const QModelIndex& row : rows)
            allTicked = allTicked && item(row.row(), 0)->checkState() == Qt::Checked;
        for (const QModelIndex& row : rows)
            item(row.row(), 0)->setCheckState(allTicked ? Qt::Unchecked : Qt::Checked);
    }
    void tickAll(bool ticked) {
        for (int row = 0; row < rowCount(); ++row)
            item(row, 0)->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
    }

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier) {
            tickSelected();
            return;
        }
        QTableWidget::keyPressEvent(event);
    }
};

} // namespace

std::optional<std::vector<bool>> QtDialogs::choose(const ChoiceList& list) {
    QDialog dialog(QApplication::activeWindow());
    dialog.setObjectName("ChoiceList");
    dialog.setWindowTitle(titleOf(list.title));
    auto* layout = new QVBoxLayout(&dialog);
    auto* text = new QLabel(QString::fromStdString(list.text), &dialog);
    text->setWordWrap(true);
    layout->addWidget(text);

    TickTable* table = TickTable::of(list, &dialog);
    layout->addWidget(table);

    auto* count = new QLabel(&dialog);
    count->setObjectName("TickedCount");
    const auto showCount = [table, count] {
        int ticked = 0;
        for (int row = 0; row < table->rowCount(); ++row)
            ticked += table->item(row, 0)->checkState() == Qt::Checked;
        count->setText(QString("%1 of %2 ticked").arg(ticked).arg(table->rowCount()));
    };
    QObject::connect(table, &QTableWidget::itemChanged, count, showCount);
    showCount();

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    auto* all = buttons->addButton("Tick &All", QDialogButtonBox::ActionRole);
    all->setObjectName("TickAll");
    auto* none = buttons->addButton("&Clear All", QDialogButtonBox::ActionRole);
    none->setObjectName("ClearAll");
    for (QPushButton* button : {all, none})
        button->setAutoDefault(false);
    QObject::connect(all, &QPushButton::clicked, table, [table] { table->tickAll(true); });
    QObject::connect(none, &QPushButton::clicked, table, [table] { table->tickAll(false); });
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(count, 1);
    bottom->addWidget(buttons);
    layout->addLayout(bottom);

    const int characters = QFontMetrics(dialog.font()).averageCharWidth();
    text->setFixedWidth(characters * kPromptCharacters);
    dialog.resize(
        std::max(characters * (kPromptCharacters + 4), table->horizontalHeader()->length() + characters * 6),
        dialog.sizeHint().height());
    table->setFocus();
    if (table->rowCount() > 0)
        table->setCurrentCell(0, 0);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    std::vector<bool> ticked;
    ticked.reserve(static_cast<std::size_t>(table->rowCount()));
    for (int row = 0; row < table->rowCount(); ++row)
        ticked.push_back(table->item(row, 0)->checkState() == Qt::Checked);
    return ticked;
}

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
