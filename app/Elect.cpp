#include "app/Elect.h"

#include "app/Application.h"
#include "calc/Driver.h"
#include "calc/InputEvents.h"
#include "calc/VoltageOptions.h"
#include "tables/Basatrasformator.h"
#include "tables/Bazatok.h"
#include "tables/Catalogue.h"
#include "tables/DatasetGrid.h"
#include "tables/DatasetNavigator.h"
#include "tables/DatasetTableModel.h"
#include "tables/Insertavt.h"
#include "tables/TableFiles.h"
#include "tables/Unit1.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStyle>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <array>

using namespace kalvenor;
using app::Q;
using app::S;

TForm1* Form1 = nullptr;

void TCloseUpComboBox::showPopup() {
    popupOpen_ = true;
    QComboBox::showPopup();
}

void TCloseUpComboBox::hidePopup() {
    QComboBox::hidePopup();
    // Qt also hides the popup when the box itself is hidden; only a list
    // that was open can close up.
    if (popupOpen_) {
        popupOpen_ = false;
        emit closedUp();
    }
}

namespace {

constexpr const char* kOpenTable = "Открыть таблицу";
constexpr const char* kCloseTable = "Закрыть таблицу";

template <typename Widget>
Widget* Named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromUtf8(name));
    return widget;
}

QLabel* NewLabel(const char* name, const char* caption) {
    return Named(new QLabel(QString::fromUtf8(caption)), name);
}

QLineEdit* NewEdit(const char* name, const char* text, const char* hint, bool readOnly) {
    auto* edit = Named(new QLineEdit(QString::fromUtf8(text)), name);
    edit->setToolTip(QString::fromUtf8(hint));
    edit->setReadOnly(readOnly);
    return edit;
}

QGroupBox* NewGroup(const char* name, const char* caption) {
    return Named(new QGroupBox(QString::fromUtf8(caption)), name);
}

}  // namespace

TForm1::TForm1(QWidget* parent) : QMainWindow(parent) {
    setObjectName("Form1");
    setWindowTitle("Kalvenor 1.1.2.0");
    // Fixed layout: system menu and minimise button only.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(801, 564);
    CreateMenu();
    CreateControls();
    Wire();
    FormCreate();
}

TForm1::~TForm1() {
    // The children outlive this object's own part while they are torn down:
    // nothing they do then may reach a handler.
    for (QWidget* widget : findChildren<QWidget*>()) {
        widget->removeEventFilter(this);
        widget->blockSignals(true);
    }
    if (Form1 == this) {
        Form1 = nullptr;
    }
}

void TForm1::CreateMenu() {
    const auto item = [this](QMenu* menu, const char* name, const char* caption,
                             const char* shortcut, QStyle::StandardPixmap icon) {
        QAction* action = menu->addAction(style()->standardIcon(icon), QString::fromUtf8(caption));
        action->setObjectName(QString::fromUtf8(name));
        if (shortcut != nullptr) {
            action->setShortcut(QKeySequence(QString::fromUtf8(shortcut)));
        }
        return action;
    };
    const auto menu = [this](const char* name, const char* caption) {
        return Named(menuBar()->addMenu(QString::fromUtf8(caption)), name);
    };
    File1 = menu("File1", "Файл");
    N2 = item(File1, "N2", kOpenTable, "Ctrl+T", QStyle::SP_FileDialogDetailedView);
    N10 = item(File1, "N10", "Сохранить", "Ctrl+S", QStyle::SP_DialogSaveButton);
    N11 = item(File1, "N11", "Печать", "Ctrl+P", QStyle::SP_FileIcon);
    File1->addSeparator();
    N3 = item(File1, "N3", "Выход", "Ctrl+C", QStyle::SP_DialogCloseButton);
    N18 = menu("N18", "Трансформатор");
    N19 = item(N18, "N19", "Использовать трансформатор", "Ctrl+A", QStyle::SP_DialogYesButton);
    N20 = item(N18, "N20", "Не использовать трансформатор", "Ctrl+B", QStyle::SP_DialogNoButton);
    N19->setCheckable(true);
    N20->setCheckable(true);
    N6 = menu("N6", "Коэффициенты");
    N7 = item(N6, "N7", "&Кабели в земле", "Ctrl+K", QStyle::SP_FileDialogInfoView);
    N24 = menu("N24", "Сервис");
    N25 = item(N24, "N25", "Калькулятор", nullptr, QStyle::SP_DesktopIcon);
    Word1 = item(N24, "Word1", "Microsoft Word", nullptr, QStyle::SP_FileIcon);
    N8 = menu("N8", "База данных");
    N15 = item(N8, "N15", "Допустимые длительные токи", "Ctrl+D", QStyle::SP_FileDialogListView);
    N17 = item(N8, "N17", "Автоматы", "Ctrl+E", QStyle::SP_DriveHDIcon);
    N21 = item(N8, "N21", "Трансформаторы", "Ctrl+F", QStyle::SP_ComputerIcon);
    N1 = menu("N1", "Справка");
    N4 = item(N1, "N4", "Содержание", "Ctrl+H", QStyle::SP_DialogHelpButton);
    N5 = item(N1, "N5", "О программе", "Ctrl+G", QStyle::SP_MessageBoxInformation);
}

void TForm1::CreateToolbars() {
    ControlBar1 = Named(new QWidget, "ControlBar1");
    ControlBar1->setFixedHeight(33);
    auto* strip = new QHBoxLayout(ControlBar1);
    strip->setContentsMargins(0, 0, 0, 0);
    strip->setSpacing(2);
    const auto bar = [strip](const char* name) {
        auto* toolBar = Named(new QToolBar, name);
        toolBar->setIconSize(QSize(16, 16));
        strip->addWidget(toolBar);
        return toolBar;
    };
    const auto button = [this](QToolBar* toolBar, const char* name, const char* hint,
                               QStyle::StandardPixmap icon) {
        if (!toolBar->actions().isEmpty()) {
            toolBar->addSeparator();
        }
        auto* toolButton = Named(new QToolButton, name);
        toolButton->setToolTip(QString::fromUtf8(hint));
        toolButton->setIcon(style()->standardIcon(icon));
        toolButton->setAutoRaise(true);
        toolBar->addWidget(toolButton);
        return toolButton;
    };
    QToolBar* toolBar1 = bar("ToolBar1");
    ToolButton2 = button(toolBar1, "ToolButton2", "Таблицы", QStyle::SP_FileDialogDetailedView);
    ToolButton1 = button(toolBar1, "ToolButton1", "Коэффициенты", QStyle::SP_FileDialogInfoView);
    QToolBar* toolBar3 = bar("ToolBar3");
    ToolButton7 = button(toolBar3, "ToolButton7", "Сохранить", QStyle::SP_DialogSaveButton);
    ToolButton9 = button(toolBar3, "ToolButton9", "Печать", QStyle::SP_FileIcon);
    ToolButton11 = button(toolBar3, "ToolButton11", "Справка", QStyle::SP_DialogHelpButton);
    ToolButton13 =
        button(toolBar3, "ToolButton13", "О программе", QStyle::SP_MessageBoxInformation);
    ToolButton15 = button(toolBar3, "ToolButton15", "Выход", QStyle::SP_DialogCloseButton);
    QToolBar* toolBar4 = bar("ToolBar4");
    ToolButton4 = button(toolBar4, "ToolButton4", "Допустимые длительные токи",
                         QStyle::SP_FileDialogListView);
    ToolButton6 = button(toolBar4, "ToolButton6", "Автоматы", QStyle::SP_DriveHDIcon);
    ToolButton17 = button(toolBar4, "ToolButton17", "Трансформаторы", QStyle::SP_ComputerIcon);
    QToolBar* toolBar5 = bar("ToolBar5");
    ToolButton18 = button(toolBar5, "ToolButton18", "Калькулятор", QStyle::SP_DesktopIcon);
    ToolButton20 = button(toolBar5, "ToolButton20", "Microsoft Word", QStyle::SP_FileIcon);
    QToolBar* toolBar2 = bar("ToolBar2");
    ComboBox1 = Named(new TCloseUpComboBox, "ComboBox1");
    ComboBox1->setToolTip("Таблицы <Допустимые длительные токи>");
    ComboBox1->setMinimumWidth(150);
    ComboBox1->addItem(QString());
    ComboBox1->setCurrentIndex(-1);
    toolBar2->addWidget(ComboBox1);
    strip->addStretch();
}

void TForm1::CreateControls() {
    CreateToolbars();
    auto* central = new QWidget;
    auto* outer = new QVBoxLayout(central);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(2);
    outer->addWidget(ControlBar1);
    auto* columns = new QHBoxLayout;
    outer->addLayout(columns, 1);

    // Left column: the open table's parameters and the table view.
    GroupBox1 = NewGroup("GroupBox1", "");
    auto* left = new QVBoxLayout(GroupBox1);
    GroupBox7 = NewGroup("GroupBox7", "Параметры таблицы");
    auto* parameters = new QGridLayout(GroupBox7);
    const auto pair = [parameters](QLabel* caption, QLabel* value) {
        const int row = parameters->rowCount();
        parameters->addWidget(caption, row, 0);
        parameters->addWidget(value, row, 1);
    };
    Label7 = NewLabel("Label7", "Тип проводки - ");
    Label5 = NewLabel("Label5", "");
    Label4 = NewLabel("Label4", "Марка - ");
    Label2 = NewLabel("Label2", "");
    Label3 = NewLabel("Label3", "Способ прокладки - ");
    Label6 = NewLabel("Label6", "");
    Label1 = NewLabel("Label1", "Материал жил - ");
    Label8 = NewLabel("Label8", "");
    Label26 = NewLabel("Label26", "Количество жил -");
    Label27 = NewLabel("Label27", "");
    pair(Label7, Label5);
    pair(Label4, Label2);
    pair(Label3, Label6);
    pair(Label1, Label8);
    pair(Label26, Label27);
    parameters->setColumnStretch(1, 1);
    left->addWidget(GroupBox7);
    GroupBox6 = NewGroup("GroupBox6", "Таблица");
    auto* tableBox = new QVBoxLayout(GroupBox6);
    DBGrid1 = Named(new DatasetGrid, "DBGrid1");
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->setVisible(false);
    tableBox->addWidget(DBGrid1, 1);
    DBNavigator1 = Named(new DatasetNavigator(DBGrid1, DatasetNavigator::Browse), "DBNavigator1");
    DBNavigator1->setVisible(false);
    tableBox->addWidget(DBNavigator1);
    tableBox->addStretch();
    Button3 = Named(new QPushButton(kOpenTable), "Button3");
    tableBox->addWidget(Button3);
    left->addWidget(GroupBox6, 1);
    columns->addWidget(GroupBox1, 5);

    // Middle column: results, network parameters, the calculate button.
    GroupBox2 = NewGroup("GroupBox2", "Расчет сечений проводов и кабелей");
    auto* middle = new QVBoxLayout(GroupBox2);
    GroupBox4 = NewGroup("GroupBox4", "Сечение и длительный ток");
    auto* results = new QGridLayout(GroupBox4);
    const auto row = [](QGridLayout* grid, QLabel* caption, QWidget* field, QLabel* unit) {
        const int at = grid->rowCount();
        grid->addWidget(caption, at, 0);
        grid->addWidget(field, at, 1);
        if (unit != nullptr) {
            grid->addWidget(unit, at, 2);
        }
    };
    Label15 = NewLabel("Label15", "Сечение");
    Edit1 = NewEdit("Edit1", "0", "Сечение проводов", true);
    Label16 = NewLabel("Label16", "кв. мм");
    Label17 = NewLabel("Label17", "Длит. ток");
    Edit2 = NewEdit("Edit2", "0", "Длительный ток для данного сечения", true);
    Label18 = NewLabel("Label18", "А");
    Label11 = NewLabel("Label11", "Ном. ток");
    Edit5 = NewEdit("Edit5", "0", "Номинальный ток протекающий в нагрузке", true);
    Label14 = NewLabel("Label14", "А");
    row(results, Label15, Edit1, Label16);
    row(results, Label17, Edit2, Label18);
    row(results, Label11, Edit5, Label14);
    Label21 = NewLabel("Label21", "");
    Label21->setStyleSheet("color: maroon; font-size: 13px;");
    results->addWidget(Label21, results->rowCount(), 0, 1, 3);
    middle->addWidget(GroupBox4);

    GroupBox3 = NewGroup("GroupBox3", "Параметры сети");
    auto* network = new QGridLayout(GroupBox3);
    Label19 = NewLabel("Label19", "Трансформатор");
    ComboBox2 = Named(new QComboBox, "ComboBox2");
    ComboBox2->setEditable(true);
    ComboBox2->setInsertPolicy(QComboBox::NoInsert);
    for (const char* name : {"TM-25/10", "TM-40/10", "TM-63/10", "TM-100/10", "TM-160/10",
                             "TM-250/10", "TM-400/10", "TM-630/10", ""}) {
        ComboBox2->addItem(QString::fromUtf8(name));
    }
    ComboBox2->setCurrentIndex(0);
    Label29 = NewLabel("Label29", "Коэф. кол. кабелей");
    Edit12 = NewEdit("Edit12", "1", "", true);
    Label23 = NewLabel("Label23", "Напряжение сети");
    ComboBox3 = Named(new QComboBox, "ComboBox3");
    ComboBox3->setToolTip("Напряжение сети");
    ComboBox3->addItems({"380 + 0", "2 x 380+0", "3 x 380+0"});
    ComboBox3->setCurrentIndex(-1);
    Label25 = NewLabel("Label25", "V");
    Label22 = NewLabel("Label22", "Длина трассы");
    Edit6 = NewEdit("Edit6", "0", "Длина провода или кабеля", false);
    Label24 = NewLabel("Label24", "м");
    Label9 = NewLabel("Label9", "Мощность");
    Edit3 = NewEdit("Edit3", "0", "Мощность нагрузки", false);
    Label12 = NewLabel("Label12", "KWT");
    Label20 = NewLabel("Label20", "Козф. мощности");
    Edit11 = NewEdit("Edit11", "1", "Коэффициент мощности нагрузки", false);
    Label10 = NewLabel("Label10", "Температура");
    Edit4 = NewEdit("Edit4", "25", "Темрература среды", false);
    Label13 = NewLabel("Label13", "t");
    Label13->setStyleSheet("font-size: 13px;");
    row(network, Label19, ComboBox2, nullptr);
    row(network, Label29, Edit12, nullptr);
    row(network, Label23, ComboBox3, Label25);
    row(network, Label22, Edit6, Label24);
    row(network, Label9, Edit3, Label12);
    row(network, Label20, Edit11, nullptr);
    row(network, Label10, Edit4, Label13);
    middle->addWidget(GroupBox3);
    Button1 = Named(new QPushButton("Расчет сечений по длительному нагреву"), "Button1");
    middle->addWidget(Button1);
    middle->addStretch();
    columns->addWidget(GroupBox2, 4);

    // Right column: the report.
    GroupBox8 = NewGroup("GroupBox8", "Расчетные данные");
    auto* right = new QVBoxLayout(GroupBox8);
    RichEdit1 = Named(new QTextEdit, "RichEdit1");
    RichEdit1->setAcceptRichText(false);
    right->addWidget(RichEdit1);
    columns->addWidget(GroupBox8, 5);

    Panel2 = Named(new QFrame, "Panel2");
    static_cast<QFrame*>(Panel2)->setFrameShape(QFrame::StyledPanel);
    Panel2->setFixedHeight(26);
    outer->addWidget(Panel2);
    setCentralWidget(central);
}

void TForm1::Wire() {
    using app::On;
    On(N2, &QAction::triggered, this, &TForm1::N2Click);
    On(N10, &QAction::triggered, this, &TForm1::N10Click);
    On(ToolButton7, &QToolButton::clicked, this, &TForm1::N10Click);
    On(N11, &QAction::triggered, this, &TForm1::N11Click);
    On(ToolButton9, &QToolButton::clicked, this, &TForm1::N11Click);
    On(N3, &QAction::triggered, this, &TForm1::N3Click);
    On(ToolButton15, &QToolButton::clicked, this, &TForm1::N3Click);
    On(N19, &QAction::triggered, this, &TForm1::N19Click);
    On(N20, &QAction::triggered, this, &TForm1::N20Click);
    On(N7, &QAction::triggered, this, &TForm1::N7Click);
    On(ToolButton1, &QToolButton::clicked, this, &TForm1::N7Click);
    On(N25, &QAction::triggered, this, &TForm1::N25Click);
    On(ToolButton18, &QToolButton::clicked, this, &TForm1::N25Click);
    On(Word1, &QAction::triggered, this, &TForm1::Word1Click);
    On(ToolButton20, &QToolButton::clicked, this, &TForm1::Word1Click);
    On(N15, &QAction::triggered, this, &TForm1::N15Click);
    On(ToolButton4, &QToolButton::clicked, this, &TForm1::N15Click);
    On(N17, &QAction::triggered, this, &TForm1::N17Click);
    On(ToolButton6, &QToolButton::clicked, this, &TForm1::N17Click);
    On(N21, &QAction::triggered, this, &TForm1::N21Click);
    On(ToolButton17, &QToolButton::clicked, this, &TForm1::N21Click);
    On(N4, &QAction::triggered, this, &TForm1::N4Click);
    On(ToolButton11, &QToolButton::clicked, this, &TForm1::N4Click);
    On(N5, &QAction::triggered, this, &TForm1::N5Click);
    On(ToolButton13, &QToolButton::clicked, this, &TForm1::N5Click);
    On(ToolButton2, &QToolButton::clicked, this, &TForm1::ToolButton2Click);
    On(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    On(Button3, &QPushButton::clicked, this, &TForm1::Button3Click);
    // Only the user's choices count as changes; a selection made from code
    // runs no handler.
    On(ComboBox1, &QComboBox::activated, this, &TForm1::ComboBox1Change);
    On(ComboBox1, &TCloseUpComboBox::closedUp, this, &TForm1::ComboBox1CloseUp);
    On(ComboBox2, &QComboBox::activated, this, &TForm1::ComboBox2Change);
    On(ComboBox2->lineEdit(), &QLineEdit::textEdited, this, &TForm1::ComboBox2Change);
    On(ComboBox3, &QComboBox::activated, this, &TForm1::ComboBox3Change);
    // Edits react to every change of their text, typed or set from code.
    On(Edit3, &QLineEdit::textChanged, this, &TForm1::Edit3Change);
    On(Edit4, &QLineEdit::textChanged, this, &TForm1::Edit4Change);
    On(Edit6, &QLineEdit::textChanged, this, &TForm1::Edit6Change);
    On(Edit11, &QLineEdit::textChanged, this, &TForm1::Edit11Change);
    // The menu's shortcuts win over the edits' own keys: Ctrl+C is "Выход".
    for (QWidget* widget : findChildren<QWidget*>()) {
        widget->installEventFilter(this);
    }
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const QKeySequence pressed(key->keyCombination());
        for (const QAction* action : findChildren<QAction*>()) {
            if (!action->shortcut().isEmpty() && action->shortcut() == pressed) {
                return true;  // not overridden: the shortcut fires
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::FormCreate() {
    N19->setChecked(true);
    N20->setChecked(false);
}

// ---- Main-window port ------------------------------------------------------

QLineEdit* TForm1::EditFor(Control control) const {
    switch (control) {
        case Control::Edit1:
            return Edit1;
        case Control::Edit2:
            return Edit2;
        case Control::Edit3:
            return Edit3;
        case Control::Edit4:
            return Edit4;
        case Control::Edit5:
            return Edit5;
        case Control::Edit6:
            return Edit6;
        case Control::Edit11:
            return Edit11;
        case Control::Edit12:
            return Edit12;
        default:
            return nullptr;
    }
}

QLabel* TForm1::LabelFor(Control control) const {
    switch (control) {
        case Control::Label6:
            return Label6;
        case Control::Label8:
            return Label8;
        case Control::Label21:
            return Label21;
        default:
            return nullptr;
    }
}

QComboBox* TForm1::ComboFor(Combo combo) const {
    switch (combo) {
        case Combo::ComboBox1:
            return ComboBox1;
        case Combo::ComboBox2:
            return ComboBox2;
        case Combo::ComboBox3:
            return ComboBox3;
    }
    return nullptr;
}

std::string TForm1::Text(Control control) const {
    if (const QLineEdit* edit = EditFor(control)) {
        return S(edit->text());
    }
    return S(LabelFor(control)->text());
}

void TForm1::SetText(Control control, const std::string& text) {
    if (QLineEdit* edit = EditFor(control)) {
        edit->setText(Q(text));
    } else {
        LabelFor(control)->setText(Q(text));
    }
}

void TForm1::SelectAndFocus(Control control) {
    QLineEdit* edit = EditFor(control);
    edit->selectAll();
    edit->setFocus();
}

int TForm1::ItemIndex(Combo combo) const {
    const QComboBox* box = ComboFor(combo);
    const int index = box->currentIndex();
    // A name typed into an editable box selects nothing, even while the
    // list's highlight still rests on an item.
    if (box->isEditable() && index >= 0 && box->itemText(index) != box->currentText()) {
        return -1;
    }
    return index;
}

void TForm1::SetItemIndex(Combo combo, int index) {
    ComboFor(combo)->setCurrentIndex(index);
}

std::string TForm1::ComboText(Combo combo) const {
    return S(ComboFor(combo)->currentText());
}

std::vector<std::string> TForm1::Items(Combo combo) const {
    const QComboBox* box = ComboFor(combo);
    std::vector<std::string> items;
    items.reserve(static_cast<std::size_t>(box->count()));
    for (int i = 0; i < box->count(); ++i) {
        items.push_back(S(box->itemText(i)));
    }
    return items;
}

void TForm1::ClearReport() {
    RichEdit1->clear();
}

void TForm1::AddReportLine(const std::string& line) {
    RichEdit1->append(Q(line));
}

int TForm1::MessageBox(const std::string& text, const std::string& caption, int flags) {
    return app::MessageBox(text, caption, flags);
}

void TForm1::ShowBreakerDatabaseModal() {
    BazaAvt->ShowModal();
}

std::string TForm1::ChooseBreakerSeries(const std::vector<std::string>& series) {
    return InsertAvtomat->Choose(series);
}

// ---- Transformers and the table view ----------------------------------------

void TForm1::FillTransformerList(const Dataset& transformers) {
    ComboBox2->clear();
    if (const auto name = transformers.FindField(kTransformerField)) {
        for (std::size_t row = 0; row < transformers.RowCount(); ++row) {
            const auto* text = std::get_if<std::string>(&transformers.At(row, *name));
            ComboBox2->addItem(text != nullptr ? Q(*text) : QString());
        }
    }
    ComboBox2->setCurrentIndex(ComboBox2->count() > 0 ? 0 : -1);
}

void TForm1::BindTableView(Dataset& currentTable) {
    auto* model = new DatasetTableModel(currentTable, app::Format(), PostRules{}, this);
    model->SetReadOnly(true);
    DBGrid1->SetDatasetModel(model);
}

void TForm1::ShowTableView(bool shown) {
    DBGrid1->setVisible(shown);
    DBNavigator1->setVisible(shown);
    const QString caption = QString::fromUtf8(shown ? kCloseTable : kOpenTable);
    Button3->setText(caption);
    N2->setText(caption);
    ToolButton2->setToolTip(caption);
}

// Three controls, one command; each decides by its own state, and every
// toggle updates all three so they agree.
void TForm1::Button3Click() {
    ShowTableView(Button3->text() == QString::fromUtf8(kOpenTable));
}

void TForm1::N2Click() {
    ShowTableView(N2->text() == QString::fromUtf8(kOpenTable));
}

void TForm1::ToolButton2Click() {
    ShowTableView(!DBGrid1->isVisible());
}

// ---- Inputs -----------------------------------------------------------------

void TForm1::Edit3Change() {
    PowerChanged(*this, *this, app::Format());
}

void TForm1::Edit4Change() {
    ClearResults(*this);
}

void TForm1::Edit6Change() {
    LengthChanged(*this);
}

void TForm1::Edit11Change() {
    ClearResults(*this);
}

void TForm1::ComboBox2Change() {
    ClearResults(*this);
}

// ---- The calculation and the transformer mode ---------------------------------

void TForm1::Button1Click() {
    // The calculation reloads the tables: rows still being typed go first.
    if (!PostTableEdits()) {
        return;
    }
    CalculationDriver driver(
        *this, *this,
        {BazaT->ClientDataSet1, BazaAvt->AVT1, BazaTran->ClientDataSet2, app::Directory()},
        app::Format());
    driver.Run();
}

void TForm1::N19Click() {
    state_.UseTransformer = true;
    ComboBox2->setEnabled(true);
    ClearReport();
    N19->setChecked(true);
    N20->setChecked(false);
}

void TForm1::N20Click() {
    state_.UseTransformer = false;
    ComboBox2->setEnabled(false);
    ClearReport();
    // The message comes every time: the user should know what the mode costs.
    MessageBox(
        "При использовании данного пункта меню \nвыполняется приблеженное вычисление ток "
        "короткого замыкания.\nПри короткой длине трассы и при большой мощности нагрузки\nток "
        "короткого замыкания вычисляется с большой погрешностью.\nЖелательно использовать пункт "
        "меню <Использовать трансформатор>",
        "Kalvenor", kMbOk);
    N19->setChecked(false);
    N20->setChecked(true);
}

// ---- The current-table catalogue --------------------------------------------

void TForm1::ComboBox3Change() {
    if (!PostTableEdits()) {
        return;
    }
    ClearResults(*this);
    ComboBox1->clear();
    Dataset& table = BazaT->ClientDataSet1;
    table.Close();
    const int option = ComboBox3->currentIndex();
    const CatalogueScan scan = ScanCatalogue(app::Directory(), option, app::Format());
    for (const std::string& name : scan.tables) {
        ComboBox1->addItem(Q(name));
    }
    ComboBox1->setCurrentIndex(-1);
    if (!scan.skipped.empty()) {
        MessageBox(SkippedTablesMessage(scan.skipped), "Kalvenor", kMbOkWarning);
    }
    if (scan.tables.empty()) {
        const int answer = MessageBox(MissingTablesQuestion(option), "Kalvenor", kMbYesNo);
        ComboBox3->setCurrentIndex(-1);
        GroupBox7->setTitle("Параметры таблицы");
        GroupBox6->setTitle("таблица");
        for (QLabel* label : {Label5, Label2, Label6, Label8, Label27, Label21}) {
            label->clear();
        }
        if (answer == kIdYes) {
            BazaT->show();
            BazaT->raise();
        }
    }
    if (const VoltageOption* voltage = FindVoltageOption(ComboBox3->currentIndex())) {
        Label21->setText(Q(voltage->voltageLine));
    }
}

void TForm1::ComboBox1Change() {
    if (!PostTableEdits()) {
        return;
    }
    ClearReport();
    Edit12->setText("1");
    SetResults(*this, "0");
    const std::string name = S(ComboBox1->currentText());
    const auto refuse = [this](const std::string& message, const std::string& caption, int flags) {
        MessageBox(message, caption, flags);
        ComboBox1->setCurrentIndex(-1);
        for (QLabel* label : {Label5, Label2, Label6, Label8, Label27}) {
            label->clear();
        }
    };
    const std::filesystem::path path = app::Directory() / name;
    std::error_code error;
    if (name.empty() || !std::filesystem::is_regular_file(path, error)) {
        refuse("Невозможно открыть файл", "", kMbOk);
        return;
    }
    Dataset& table = BazaT->ClientDataSet1;
    try {
        table.Load(path);
    } catch (const FileError& failure) {
        refuse(failure.what(), "Kalvenor", kMbOkStop);
        return;
    }
    if (const auto problem = CurrentTableProblem(table.FieldDefs(), name)) {
        table.Close();
        refuse(*problem, "Kalvenor", kMbOkStop);
        return;
    }
    table.Bind(path);
    table.SetOrder(kSectionField);
    const auto parameter = [&table](std::size_t position) {
        return Q(table.FieldDefAt(position).name);
    };
    Label5->setText(parameter(kWiringPosition));
    Label2->setText(parameter(kBrandPosition));
    Label6->setText(parameter(kLayingPosition));
    Label8->setText(parameter(kMaterialPosition));
    Label27->setText(parameter(kCoresPosition));
    GroupBox7->setTitle("Параметры таблицы    " + Q(name));
    GroupBox6->setTitle("Таблица   " + Q(name));
    ComboBox3->setCurrentIndex(
        VoltageOptionForCores(table.FieldDefAt(kCoresPosition).name, app::Format()));
    Edit4->setText(Label6->text() == Q(kInGround) ? "15" : "25");
}

void TForm1::ComboBox1CloseUp() {
    if (ComboBox3->currentIndex() < 0) {
        MessageBox("Выберите необходимое напряжение сети", "Kalvenor", kMbOk);
    }
}

// ---- Windows ------------------------------------------------------------------

void TForm1::N3Click() {
    close();
}

bool TForm1::PostTableEdits() {
    const std::array<std::pair<QWidget*, DatasetGrid*>, 3> grids{{
        {BazaT, BazaT->DBGrid1},
        {BazaAvt, BazaAvt->DBGrid3},
        {BazaTran, BazaTran->DBGrid1},
    }};
    for (const auto& [window, grid] : grids) {
        if (!grid->PostPending()) {
            window->show();
            window->raise();
            return false;
        }
    }
    return true;
}

void TForm1::closeEvent(QCloseEvent* event) {
    // Write-back at the end of the run takes along a row still being typed;
    // a row that cannot be posted keeps the program open.
    if (!PostTableEdits()) {
        event->ignore();
        return;
    }
    event->accept();
    QCoreApplication::quit();
}

void TForm1::N15Click() {
    app::CentreOnScreen(BazaT);
    BazaT->show();
    BazaT->raise();
}

void TForm1::N17Click() {
    app::CentreOnScreen(BazaAvt);
    BazaAvt->show();
    BazaAvt->raise();
}

void TForm1::N21Click() {
    app::CentreOnScreen(BazaTran);
    BazaTran->show();
    BazaTran->raise();
}

// Commands whose windows and services come later: wired, and doing nothing
// until then.
void TForm1::N4Click() {}
void TForm1::N5Click() {}
void TForm1::N7Click() {}
void TForm1::N10Click() {}
void TForm1::N11Click() {}
void TForm1::N25Click() {}
void TForm1::Word1Click() {}
