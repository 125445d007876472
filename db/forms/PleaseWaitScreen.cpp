#include "db/forms/PleaseWaitScreen.h"

#include <QLabel>
#include <QVBoxLayout>

namespace velmora::db {

PleaseWaitScreen::PleaseWaitScreen(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName("PleaseWait");
    setWindowTitle("Backing up database, please wait... ");
    auto* label = new QLabel("Please Wait - Creating a backup copy of database...", this);
    label->setObjectName("Label1");
    label->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    resize(420, 90);
}

} // namespace velmora::db
