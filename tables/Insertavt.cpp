#include "tables/Insertavt.h"

#include "widgets/Frames.h"
#include "widgets/Guard.h"
#include "widgets/Text.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace kalvenor;

TInsertAvtomat* InsertAvtomat = nullptr;

TInsertAvtomat::TInsertAvtomat(const Context& context)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      context_(context) {
    setObjectName("InsertAvtomat");
    setWindowTitle("Установка автоматов");
    setMinimumSize(186, 170);
    resize(186, 176);
    auto* outer = new QVBoxLayout(this);
    GroupBox1 = new QGroupBox("Автоматы");
    GroupBox1->setObjectName("GroupBox1");
    outer->addWidget(GroupBox1);
    auto* inner = new QVBoxLayout(GroupBox1);
    Label1 = new QLabel("Тип автомата");
    Label1->setObjectName("Label1");
    ComboBox1 = new QComboBox;
    ComboBox1->setObjectName("ComboBox1");
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    // Series names can be long ("ВА57-35-340010-20УХЛ3"): the box grows to
    // show the longest offered whole.
    ComboBox1->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    Label1->setBuddy(ComboBox1);
    ComboBox1->setAccessibleName(Label1->text());
    Button2 = new QPushButton("Установить");
    Button2->setObjectName("Button2");
    inner->addWidget(Label1);
    inner->addWidget(ComboBox1);
    inner->addStretch();
    inner->addWidget(Button2);
    ConnectGuarded(context_.messages, Button2, &QPushButton::clicked, this,
                   &TInsertAvtomat::Button2Click);
}

int TInsertAvtomat::SelectedItem() const {
    return ComboBox1->findText(ComboBox1->currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive);
}

void TInsertAvtomat::Button2Click() {
    const int item = SelectedItem();
    if (item < 0) {
        context_.messages.MessageBox(
            {"Установите автомат.", "Предупреждение.", Buttons::Ok, Icon::Warning});
        return;
    }
    ChosenSeries = ToStdString(ComboBox1->itemText(item));
    accept();
}

std::string TInsertAvtomat::Choose(const std::vector<std::string>& series) {
    ComboBox1->clear();
    for (const std::string& name : series) {
        ComboBox1->addItem(ToQString(name));
    }
    ComboBox1->setCurrentIndex(-1);
    ComboBox1->clearEditText();
    resize(QSize(186, 176).expandedTo(sizeHint()));
    CentreOnScreen(this);
    exec();
    return ChosenSeries;
}
