#include "app/Elect.h"

#include "app/Version.h"
#include "calc/Driver.h"
#include "calc/InputEvents.h"
#include "calc/VoltageOptions.h"
#include "output/TrailView.h"
#include "tables/Catalogue.h"
#include "tables/CurrentTables.h"
#include "tables/Databases.h"
#include "tables/TableFiles.h"
#include "widgets/DatasetGrid.h"
#include "widgets/DatasetNavigator.h"
#include "widgets/DatasetTableModel.h"
#include "widgets/Frames.h"
#include "widgets/Guard.h"
#include "widgets/SelectionHistory.h"
#include "widgets/Text.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QToolButton>

using namespace kalvenor;

TForm1* Form1 = nullptr;

TForm1::TForm1(const Context& context, MainWindowPeers& peers) : context_(context), peers_(peers) {
    setObjectName("Form1");
    setWindowTitle(kProgramTitle);
    // System menu and minimise button only; the window may be resized, the
    // report taking the width.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    CreateMenu();
    CreateControls();
    ResizeAroundCentre(this, OpeningSize());
    voltageHistory_ = new SelectionHistory(ComboBox3);
    tableHistory_ = new SelectionHistory(ComboBox1);
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
    if (transformers_ != nullptr) {
        transformers_->RemoveObserver(transformersObserver_);
    }
}

template <typename Sender, typename Signal>
void TForm1::Connect(Sender* sender, Signal signal, void (TForm1::*handler)()) {
    ConnectGuarded(context_.messages, sender, signal, this, handler);
}

void TForm1::Wire() {
    Connect(N2, &QAction::triggered, &TForm1::N2Click);
    Connect(N10, &QAction::triggered, &TForm1::N10Click);
    Connect(ToolButton7, &QToolButton::clicked, &TForm1::N10Click);
    Connect(N11, &QAction::triggered, &TForm1::N11Click);
    Connect(ToolButton9, &QToolButton::clicked, &TForm1::N11Click);
    Connect(trailSave_, &QAction::triggered, &TForm1::SaveTrailClick);
    Connect(trailPrint_, &QAction::triggered, &TForm1::PrintTrailClick);
    connect(trail_, &kalvenor::TrailView::ShownChanged, trailSave_, &QAction::setEnabled);
    connect(trail_, &kalvenor::TrailView::ShownChanged, trailPrint_, &QAction::setEnabled);
    Connect(N3, &QAction::triggered, &TForm1::N3Click);
    Connect(ToolButton15, &QToolButton::clicked, &TForm1::N3Click);
    Connect(N19, &QAction::triggered, &TForm1::N19Click);
    Connect(N20, &QAction::triggered, &TForm1::N20Click);
    Connect(N7, &QAction::triggered, &TForm1::N7Click);
    Connect(ToolButton1, &QToolButton::clicked, &TForm1::N7Click);
    Connect(N25, &QAction::triggered, &TForm1::N25Click);
    Connect(ToolButton18, &QToolButton::clicked, &TForm1::N25Click);
    Connect(Word1, &QAction::triggered, &TForm1::Word1Click);
    Connect(ToolButton20, &QToolButton::clicked, &TForm1::Word1Click);
    Connect(N26, &QAction::triggered, &TForm1::N26Click);
    Connect(ToolButton21, &QToolButton::clicked, &TForm1::N26Click);
    Connect(N15, &QAction::triggered, &TForm1::N15Click);
    Connect(ToolButton4, &QToolButton::clicked, &TForm1::N15Click);
    Connect(N17, &QAction::triggered, &TForm1::N17Click);
    Connect(ToolButton6, &QToolButton::clicked, &TForm1::N17Click);
    Connect(N21, &QAction::triggered, &TForm1::N21Click);
    Connect(ToolButton17, &QToolButton::clicked, &TForm1::N21Click);
    Connect(N4, &QAction::triggered, &TForm1::N4Click);
    Connect(ToolButton11, &QToolButton::clicked, &TForm1::N4Click);
    Connect(N5, &QAction::triggered, &TForm1::N5Click);
    Connect(ToolButton13, &QToolButton::clicked, &TForm1::N5Click);
    Connect(ToolButton2, &QToolButton::clicked, &TForm1::ToolButton2Click);
    Connect(Button1, &QPushButton::clicked, &TForm1::Button1Click);
    Connect(Button3, &QPushButton::clicked, &TForm1::Button3Click);
    // Only the user's choices count as changes; a selection made from code
    // runs no handler.
    Connect(ComboBox1, &QComboBox::activated, &TForm1::ComboBox1Change);
    Connect(ComboBox1, &TCloseUpComboBox::ClosedUp, &TForm1::ComboBox1CloseUp);
    Connect(ComboBox2, &QComboBox::activated, &TForm1::ComboBox2Change);
    Connect(ComboBox2->lineEdit(), &QLineEdit::textEdited, &TForm1::ComboBox2Change);
    Connect(ComboBox3, &QComboBox::activated, &TForm1::ComboBox3Change);
    // Edits react to every change of their text, typed or set from code.
    Connect(Edit3, &QLineEdit::textChanged, &TForm1::Edit3Change);
    Connect(Edit4, &QLineEdit::textChanged, &TForm1::Edit4Change);
    Connect(Edit6, &QLineEdit::textChanged, &TForm1::Edit6Change);
    Connect(Edit11, &QLineEdit::textChanged, &TForm1::Edit11Change);
    // The menu's shortcuts win over the edits' own keys: Ctrl+C is "Выход".
    // Not on the trail's page, which is there to be copied from.
    for (QWidget* widget : findChildren<QWidget*>()) {
        if (widget != trail_ && widget->parent() != trail_) {
            widget->installEventFilter(this);
        }
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

QLineEdit* TForm1::InputEdit(Input input) const {
    switch (input) {
        case Input::Power:
            return Edit3;
        case Input::CosPhi:
            return Edit11;
        case Input::Length:
            return Edit6;
        case Input::Temperature:
            return Edit4;
        case Input::Grouping:
            return Edit12;
    }
    return nullptr;
}

QWidget* TForm1::ResultControl(Result result) const {
    switch (result) {
        case Result::Section:
            return Edit1;
        case Result::PermissibleCurrent:
            return Edit2;
        case Result::NominalCurrent:
            return Edit5;
        case Result::VoltageLine:
            return Label21;
    }
    return nullptr;
}

QLabel* TForm1::ParameterLabel(TableParameter parameter) const {
    switch (parameter) {
        case TableParameter::LayingMethod:
            return Label6;
        case TableParameter::Material:
            return Label8;
    }
    return nullptr;
}

QComboBox* TForm1::ChoiceBox(Choice choice) const {
    switch (choice) {
        case Choice::CurrentTable:
            return ComboBox1;
        case Choice::Transformer:
            return ComboBox2;
        case Choice::Voltage:
            return ComboBox3;
    }
    return nullptr;
}

std::string TForm1::Text(Input input) const {
    return ToStdString(InputEdit(input)->text());
}

void TForm1::SetText(Input input, const std::string& text) {
    InputEdit(input)->setText(ToQString(text));
}

void TForm1::SelectAndFocus(Input input) {
    QLineEdit* edit = InputEdit(input);
    edit->selectAll();
    edit->setFocus();
}

std::string TForm1::Text(Result result) const {
    QWidget* control = ResultControl(result);
    if (const auto* edit = qobject_cast<const QLineEdit*>(control)) {
        return ToStdString(edit->text());
    }
    return ToStdString(static_cast<const QLabel*>(control)->text());
}

void TForm1::SetText(Result result, const std::string& text) {
    QWidget* control = ResultControl(result);
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        edit->setText(ToQString(text));
    } else {
        static_cast<QLabel*>(control)->setText(ToQString(text));
    }
}

std::string TForm1::Text(TableParameter parameter) const {
    return ToStdString(ParameterLabel(parameter)->text());
}

int TForm1::ItemIndex(Choice choice) const {
    const QComboBox* box = ChoiceBox(choice);
    const int index = box->currentIndex();
    // A name typed into an editable box selects nothing, even while the
    // list's highlight still rests on an item.
    if (box->isEditable() && index >= 0 && box->itemText(index) != box->currentText()) {
        return -1;
    }
    return index;
}

void TForm1::SetItemIndex(Choice choice, int index) {
    ChoiceBox(choice)->setCurrentIndex(index);
}

std::string TForm1::ChoiceText(Choice choice) const {
    return ToStdString(ChoiceBox(choice)->currentText());
}

void TForm1::ClearReport() {
    RichEdit1->clear();
    trail_->Clear();
}

void TForm1::AddReportLine(const std::string& line) {
    RichEdit1->append(ToQString(line));
}

Answer TForm1::MessageBox(const Message& message) {
    return context_.messages.MessageBox(message);
}

void TForm1::ShowBreakerDatabaseModal() {
    peers_.ShowBreakerDatabase(true);
}

std::string TForm1::ChooseBreakerSeries(const std::vector<std::string>& series) {
    return peers_.ChooseBreakerSeries(series);
}

std::optional<double> TForm1::AskPermittedDrop(double voltageDrop) {
    return peers_.AskPermittedDrop(voltageDrop);
}

// ---- Transformers and the table view ----------------------------------------

void TForm1::FillTransformerList(Dataset& transformers) {
    if (transformers_ != &transformers) {
        if (transformers_ != nullptr) {
            transformers_->RemoveObserver(transformersObserver_);
        }
        transformers_ = &transformers;
        transformersObserver_ =
            transformers.AddObserver([this](const DatasetChange&) { RefillTransformerList(); });
    }
    RefillTransformerList();
}

void TForm1::RefillTransformerList() {
    const int selected = ItemIndex(Choice::Transformer);
    const QString previous = selected >= 0 ? ComboBox2->itemText(selected) : QString();
    // All names in one call: an editable box filters its completer at every
    // single addition.
    QStringList names;
    if (const auto name = transformers_->FindField(kTransformerField)) {
        names.reserve(static_cast<qsizetype>(transformers_->RowCount()));
        for (std::size_t row = 0; row < transformers_->RowCount(); ++row) {
            const Value cell = transformers_->At(row, *name);
            const auto* text = std::get_if<std::string>(&cell);
            names << (text != nullptr ? ToQString(*text) : QString());
        }
    }
    ComboBox2->clear();
    ComboBox2->addItems(names);
    const int kept = previous.isNull() ? -1 : ComboBox2->findText(previous, Qt::MatchExactly);
    ComboBox2->setCurrentIndex(kept >= 0 ? kept : (ComboBox2->count() > 0 ? 0 : -1));
    // Results computed with a transformer that is gone no longer stand.
    if (selected >= 0 && kept < 0) {
        ClearResults(*this);
    }
}

void TForm1::BindTableView(Dataset& currentTable) {
    auto* model = new DatasetTableModel(currentTable, context_.format, PostRules{}, this);
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
    InputChanged(Input::Power, *this, *this, context_.format);
}

void TForm1::Edit4Change() {
    InputChanged(Input::Temperature, *this, *this, context_.format);
}

void TForm1::Edit6Change() {
    InputChanged(Input::Length, *this, *this, context_.format);
}

void TForm1::Edit11Change() {
    InputChanged(Input::CosPhi, *this, *this, context_.format);
}

void TForm1::ComboBox2Change() {
    ClearResults(*this);
}

// ---- The calculation and the transformer mode ---------------------------------

void TForm1::Button1Click() {
    // The calculation reloads the tables: rows still being typed go first.
    if (!peers_.PostTableEdits()) {
        return;
    }
    TableDatasets& tables = peers_.Tables();
    CalculationDriver driver(
        *this, *this,
        {tables.currentTable, tables.breakers, tables.transformers, context_.directory},
        context_.format);
    driver.Run();
    trail_->Show(driver.Recorded(), context_.format);
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
        {"При использовании данного пункта меню \nвыполняется приблеженное вычисление ток "
         "короткого замыкания.\nПри короткой длине трассы и при большой мощности нагрузки\nток "
         "короткого замыкания вычисляется с большой погрешностью.\nЖелательно использовать пункт "
         "меню <Использовать трансформатор>",
         "Kalvenor"});
    N19->setChecked(false);
    N20->setChecked(true);
}

// ---- The current-table catalogue --------------------------------------------

void TForm1::ClearTableParameters() {
    for (QLabel* label : {Label5, Label2, Label6, Label8, Label27}) {
        label->clear();
    }
}

void TForm1::ComboBox3Change() {
    if (!peers_.PostTableEdits()) {
        voltageHistory_->Restore();
        return;
    }
    ClearResults(*this);
    ComboBox1->clear();
    peers_.Tables().currentTable.Close();
    const int option = ComboBox3->currentIndex();
    const CatalogueScan scan = ScanCatalogue(context_.directory, option, context_.format);
    for (const std::string& name : scan.tables) {
        ComboBox1->addItem(ToQString(name));
    }
    ComboBox1->setCurrentIndex(-1);
    if (!scan.skipped.empty()) {
        MessageBox({SkippedTablesMessage(scan.skipped), "Kalvenor", Buttons::Ok, Icon::Warning});
    }
    if (scan.tables.empty()) {
        const Answer answer =
            MessageBox({MissingTablesQuestion(option), "Kalvenor", Buttons::YesNo});
        ComboBox3->setCurrentIndex(-1);
        GroupBox7->setTitle("Параметры таблицы");
        GroupBox6->setTitle("таблица");
        ClearTableParameters();
        Label21->clear();
        if (answer == Answer::Yes) {
            peers_.ShowTableEditor(false);
        }
    }
    if (const VoltageOption* voltage = FindVoltageOption(ComboBox3->currentIndex())) {
        Label21->setText(ToQString(voltage->voltageLine));
    }
}

void TForm1::ComboBox1Change() {
    if (!peers_.PostTableEdits()) {
        tableHistory_->Restore();
        return;
    }
    ClearReport();
    Edit12->setText("1");
    SetResults(*this, "0");
    const std::string name = ToStdString(ComboBox1->currentText());
    const auto refuse = [this] {
        ComboBox1->setCurrentIndex(-1);
        ClearTableParameters();
    };
    Dataset& table = peers_.Tables().currentTable;
    try {
        if (!OpenCurrentTable(table, context_.directory, name)) {
            MessageBox({"Невозможно открыть файл", ""});
            refuse();
            return;
        }
    } catch (const FileError& failure) {
        MessageBox(ErrorMessage(failure.what()));
        refuse();
        return;
    }
    SayWhyReadOnly(table, context_.tablesWritable, context_.messages);
    const auto parameter = [&table](std::size_t position) {
        return ToQString(table.FieldDefAt(position).name);
    };
    Label5->setText(parameter(kWiringPosition));
    Label2->setText(parameter(kBrandPosition));
    Label6->setText(parameter(kLayingPosition));
    Label8->setText(parameter(kMaterialPosition));
    Label27->setText(parameter(kCoresPosition));
    GroupBox7->setTitle("Параметры таблицы    " + ToQString(name));
    GroupBox6->setTitle("Таблица   " + ToQString(name));
    ComboBox3->setCurrentIndex(
        VoltageOptionForCores(table.FieldDefAt(kCoresPosition).name, context_.format));
    Edit4->setText(ToQString(DefaultTemperatureText(table.FieldDefAt(kLayingPosition).name)));
}

void TForm1::ComboBox1CloseUp() {
    if (ComboBox3->currentIndex() < 0) {
        MessageBox(kChooseVoltage);
    }
}

// ---- Windows ------------------------------------------------------------------

void TForm1::N3Click() {
    close();
}

void TForm1::closeEvent(QCloseEvent* event) {
    // Write-back at the end of the run takes along a row still being typed;
    // a row that cannot be posted keeps the program open.
    if (!peers_.PostTableEdits() || !peers_.CloseJournal()) {
        event->ignore();
        return;
    }
    event->accept();
    QCoreApplication::quit();
}

void TForm1::N15Click() {
    peers_.ShowTableEditor(true);
}

void TForm1::N17Click() {
    peers_.ShowBreakerDatabase(false);
}

void TForm1::N21Click() {
    peers_.ShowTransformerDatabase();
}

void TForm1::N5Click() {
    peers_.ShowAbout();
}

// Opening the dialog voids the results whatever the user then chooses: the
// coefficient they were computed with may change.
void TForm1::N7Click() {
    ClearReport();
    SetResults(*this, "0");
    peers_.ShowCoefficients();
}

// The help lies in the application's folder; the program works from there
// afterwards too.
void TForm1::N4Click() {
    std::filesystem::current_path(context_.directory);
    context_.help.ShowHelp(HelpSection::Contents);
}

void TForm1::N10Click() {
    reportCommands_.Save(ToStdString(RichEdit1->toPlainText()));
}

void TForm1::N11Click() {
    reportCommands_.Print(*RichEdit1->document());
}

void TForm1::SaveTrailClick() {
    reportCommands_.SaveTrail(ToStdString(trail_->toPlainText()), trail_->FileName());
}

void TForm1::PrintTrailClick() {
    reportCommands_.PrintTrail(*trail_->document(), "Обоснование");
}

void TForm1::N25Click() {
    reportCommands_.StartCalculator();
}

void TForm1::N26Click() {
    peers_.ShowJournal();
}

void TForm1::Word1Click() {
    reportCommands_.StartWordProcessor();
}
