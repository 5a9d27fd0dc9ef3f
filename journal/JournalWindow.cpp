#include "journal/JournalWindow.h"

#include "journal/CableJournal.h"
#include "journal/JournalColumns.h"
#include "journal/JournalCsv.h"
#include "journal/JournalFile.h"
#include "journal/JournalModel.h"
#include "journal/JournalXlsx.h"
#include "journal/LineCalculation.h"
#include "journal/RecentJournals.h"
#include "output/ReportCommands.h"
#include "output/TableDocument.h"
#include "output/TrailView.h"
#include "widgets/Frames.h"
#include "widgets/Guard.h"
#include "widgets/Text.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QDate>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTextDocument>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <set>

kalvenor::JournalWindow* LineJournal = nullptr;

namespace kalvenor {

namespace {

constexpr const char* kJournalFilter = "Журнал линий (*.kvj)|*.kvj";
constexpr const char* kCsvFilter = "CSV (*.csv)|*.csv";
constexpr const char* kXlsxFilter = "Книга Excel (*.xlsx)|*.xlsx";
constexpr const char* kCaption = "Журнал линий";
// A batch shorter than this shows no progress at all.
constexpr int kProgressDelayMs = 500;
constexpr int kWidestStatus = 360;
// Refused cells listed one by one in the message; the rest are counted.
constexpr std::size_t kListedRefusals = 15;

// The inputs chosen from a list: a drop-down offers the list and still
// takes a typed text, which the calculation then judges.
class ChoiceDelegate final : public QStyledItemDelegate {
public:
    ChoiceDelegate(const Context& context, const Journal& journal, QObject* parent)
        : QStyledItemDelegate(parent), context_(context), journal_(journal) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        const std::optional<LineInput> input =
            InputOf(ColumnAt(static_cast<std::size_t>(index.column())));
        if (!input || static_cast<std::size_t>(index.row()) >= journal_.LineCount()) {
            return QStyledItemDelegate::createEditor(parent, option, index);
        }
        BatchTables tables(context_.directory);
        const std::vector<std::string> choices =
            ChoicesFor(*input, journal_.Line(static_cast<std::size_t>(index.row())).inputs, tables,
                       context_.format);
        if (choices.empty()) {
            return QStyledItemDelegate::createEditor(parent, option, index);
        }
        auto* box = new QComboBox(parent);
        box->setObjectName("ChoiceEditor");
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        for (const std::string& choice : choices) {
            box->addItem(ToQString(choice));
        }
        return box;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        if (auto* box = qobject_cast<QComboBox*>(editor)) {
            box->setEditText(index.data(Qt::EditRole).toString());
            return;
        }
        QStyledItemDelegate::setEditorData(editor, index);
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override {
        if (auto* box = qobject_cast<QComboBox*>(editor)) {
            model->setData(index, box->currentText(), Qt::EditRole);
            return;
        }
        QStyledItemDelegate::setModelData(editor, model, index);
    }

private:
    const Context& context_;
    const Journal& journal_;
};

}  // namespace

JournalWindow::JournalWindow(const Context& context, JournalPeers& peers)
    : QMainWindow(nullptr, kWindowFrame | Qt::WindowMinMaxButtonsHint),
      context_(context),
      peers_(peers) {
    setObjectName("JournalWindow");
    CreateControls();
    CreateMenu();
    observer_ =
        journal_.AddObserver([this](const JournalChange& change) { JournalChanged(change); });
    RefillRecent(ReadRecentJournals(context_.directory));
    RefreshTitle();
    resize(1100, 560);
}

JournalWindow::~JournalWindow() {
    journal_.RemoveObserver(observer_);
    // The grid and its model read the journal, a member that is gone before
    // Qt deletes the children: they go while it is still there.
    delete grid_;
    delete model_;
}

template <typename Sender, typename Signal>
void JournalWindow::Connect(Sender* sender, Signal signal, void (JournalWindow::*handler)()) {
    ConnectGuarded(context_.messages, sender, signal, this, handler);
}

void JournalWindow::CreateControls() {
    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    auto* buttons = new QHBoxLayout;
    const auto button = [this, buttons](const char* name, const char* caption,
                                        void (JournalWindow::*handler)()) {
        auto* push = Named(new QPushButton(QString::fromUtf8(caption)), name);
        push->setAutoDefault(false);
        buttons->addWidget(push);
        Connect(push, &QPushButton::clicked, handler);
        return push;
    };
    calculate_ = button("CalculateButton", "Рассчитать", &JournalWindow::Calculate);
    calculate_->setShortcut(QKeySequence(Qt::Key_F9));
    button("AddLineButton", "Добавить линию", &JournalWindow::AddLine);
    button("RemoveLinesButton", "Удалить линии", &JournalWindow::RemoveLines);
    buttons->addStretch();
    button("ToMainWindowButton", "В основное окно", &JournalWindow::ToMainWindow);
    button("FromMainWindowButton", "Из основного окна", &JournalWindow::FromMainWindow);
    button("TrailButton", "Обоснование…", &JournalWindow::ShowLineTrail);
    layout->addLayout(buttons);

    grid_ = Named(new QTableView, "LinesGrid");
    model_ = new JournalModel(journal_, context_.format, this);
    grid_->setModel(model_);
    grid_->setItemDelegate(new ChoiceDelegate(context_, journal_, this));
    grid_->setSelectionBehavior(QAbstractItemView::SelectItems);
    grid_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                           QAbstractItemView::AnyKeyPressed);
    grid_->verticalHeader()->setDefaultSectionSize(22);
    grid_->horizontalHeader()->setHighlightSections(false);
    // The column titles read whole before any line is there to widen them.
    FitColumns();
    layout->addWidget(grid_, 1);
    setCentralWidget(central);
    status_ = Named(new QLabel, "StatusLabel");
    statusBar()->addWidget(status_, 1);
}

void JournalWindow::CreateMenu() {
    const auto item = [this](QMenu* menu, const char* name, const char* caption,
                             const QKeySequence& shortcut, void (JournalWindow::*handler)()) {
        QAction* action = menu->addAction(QString::fromUtf8(caption));
        action->setObjectName(QString::fromUtf8(name));
        action->setShortcut(shortcut);
        Connect(action, &QAction::triggered, handler);
        return action;
    };
    QMenu* file = Named(menuBar()->addMenu("Файл"), "JournalFileMenu");
    item(file, "NewAction", "Создать", QKeySequence::New, &JournalWindow::NewJournal);
    item(file, "OpenAction", "Открыть…", QKeySequence::Open, &JournalWindow::Open);
    recent_ = Named(file->addMenu("Недавние журналы"), "RecentMenu");
    item(file, "SaveAction", "Сохранить", QKeySequence::Save, &JournalWindow::SaveCommand);
    item(file, "SaveAsAction", "Сохранить как…", QKeySequence::SaveAs,
         &JournalWindow::SaveAsCommand);
    file->addSeparator();
    item(file, "ImportCsvAction", "Импорт из CSV…", {}, &JournalWindow::ImportCsv);
    item(file, "ExportCsvAction", "Экспорт в CSV…", {}, &JournalWindow::ExportCsv);
    item(file, "ExportXlsxAction", "Экспорт в XLSX…", {}, &JournalWindow::ExportXlsx);
    item(file, "SaveCableJournalAction", "Кабельный журнал в RTF…", {},
         &JournalWindow::SaveCableJournal);
    item(file, "PrintAction", "Печать кабельного журнала…", QKeySequence::Print,
         &JournalWindow::PrintCableJournal);
    file->addSeparator();
    item(file, "CloseAction", "Закрыть", QKeySequence::Close, &JournalWindow::CloseCommand);
}

// ---- The document and its file ----------------------------------------------

std::string JournalWindow::DesignName() const {
    return path_.empty() ? std::string("Новый журнал") : path_.stem().string();
}

void JournalWindow::RefreshTitle() {
    setWindowTitle(QString::fromUtf8(kCaption) + " - " + ToQString(DesignName()) + "[*]");
    setWindowModified(journal_.Modified());
}

std::filesystem::path JournalWindow::StartFolder() const {
    return path_.empty() ? context_.directory : path_.parent_path();
}

void JournalWindow::RefillRecent(const std::vector<std::filesystem::path>& journals) {
    recent_->clear();
    for (const std::filesystem::path& path : journals) {
        QAction* action = recent_->addAction(ToQString(path.string()));
        ConnectGuarded(context_.messages, action, &QAction::triggered, this,
                       &JournalWindow::RecentChosen);
        action->setData(ToQString(path.string()));
    }
    recent_->setEnabled(!journals.empty());
}

void JournalWindow::RecentChosen() {
    if (const auto* action = qobject_cast<QAction*>(sender())) {
        if (ConfirmClose()) {
            OpenFile(ToStdString(action->data().toString()));
        }
    }
}

void JournalWindow::Remember(const std::filesystem::path& path) {
    RefillRecent(RememberJournal(context_.directory, path));
}

bool JournalWindow::ConfirmClose() {
    if (!journal_.Modified()) {
        return true;
    }
    const Answer answer = context_.messages.MessageBox(
        {"Журнал " + Quoted(DesignName()) + " изменён. Сохранить изменения?", kCaption,
         Buttons::YesNoCancel, Icon::Question});
    switch (answer) {
        case Answer::Yes:
            return Save();
        case Answer::No:
            return true;
        case Answer::Ok:
        case Answer::Cancel:
            return false;
    }
    return false;
}

void JournalWindow::closeEvent(QCloseEvent* event) {
    bool mayClose = false;
    RunGuarded(context_.messages, [&] { mayClose = ConfirmClose(); });
    if (mayClose) {
        event->accept();
    } else {
        event->ignore();
    }
}

void JournalWindow::NewJournal() {
    if (!ConfirmClose()) {
        return;
    }
    journal_.Assign({});
    path_.clear();
    calculated_ = false;
    RefreshMarks();
    RefreshTitle();
}

void JournalWindow::Open() {
    if (!ConfirmClose()) {
        return;
    }
    if (const auto path = context_.openFiles.ChooseOpenFile({kJournalFilter, StartFolder()})) {
        OpenFile(*path);
    }
}

void JournalWindow::OpenFile(const std::filesystem::path& path) {
    std::vector<JournalLine> lines = ReadJournalFile(path, context_.format);
    journal_.Assign(std::move(lines));
    path_ = path;
    calculated_ = false;
    Remember(path);
    RefreshMarks();
    RefreshTitle();
}

bool JournalWindow::SaveTo(const std::filesystem::path& path) {
    if (const auto aside = WriteJournalFile(path, journal_.Lines(), context_.format)) {
        context_.messages.MessageBox({"Файл " + Quoted(path.string()) +
                                          " не был журналом; он сохранён под именем " +
                                          Quoted(aside->string()) + ".",
                                      kCaption, Buttons::Ok, Icon::Warning});
    }
    path_ = path;
    journal_.MarkSaved();
    Remember(path);
    RefreshTitle();
    return true;
}

bool JournalWindow::Save() {
    return path_.empty() ? SaveAs() : SaveTo(path_);
}

bool JournalWindow::SaveAs() {
    const auto path = context_.saveFiles.ChooseSaveFile(
        {kJournalFilter, "kvj", StartFolder() / (DesignName() + std::string(kJournalExtension))});
    return path && SaveTo(*path);
}

// ---- Spreadsheets and the cable journal ---------------------------------------

void JournalWindow::ImportCsv() {
    const auto path = context_.openFiles.ChooseOpenFile({kCsvFilter, StartFolder()});
    if (!path) {
        return;
    }
    CsvImport imported = ImportJournalCsv(*path, context_.format);
    const std::size_t count = imported.lines.size();
    journal_.Insert(journal_.LineCount(), std::move(imported.lines));
    RefreshMarks();
    std::string report = "Добавлено линий: " + std::to_string(count) + ".";
    if (!imported.refused.empty()) {
        report += "\nНе приняты ячейки (линии добавлены с пустыми значениями):";
        for (std::size_t i = 0; i < imported.refused.size() && i < kListedRefusals; ++i) {
            report += "\n" + RefusedCellMessage(imported.refused[i]);
        }
        if (imported.refused.size() > kListedRefusals) {
            report += "\n… и ещё " + std::to_string(imported.refused.size() - kListedRefusals);
        }
    }
    context_.messages.MessageBox(
        {report, kCaption, Buttons::Ok, imported.refused.empty() ? Icon::None : Icon::Warning});
}

void JournalWindow::ExportCsv() {
    if (const auto path = context_.saveFiles.ChooseSaveFile(
            {kCsvFilter, "csv", StartFolder() / (DesignName() + ".csv")})) {
        ExportJournalCsv(*path, journal_.Lines(), context_.format);
    }
}

void JournalWindow::ExportXlsx() {
    if (const auto path = context_.saveFiles.ChooseSaveFile(
            {kXlsxFilter, "xlsx", StartFolder() / (DesignName() + ".xlsx")})) {
        ExportJournalXlsx(*path, journal_.Lines(), context_.format);
    }
}

void JournalWindow::SaveCableJournal() {
    if (const auto path = context_.saveFiles.ChooseSaveFile(
            {ReportCommands::kRtfFilter, "rtf", StartFolder() / (DesignName() + ".rtf")})) {
        kalvenor::SaveCableJournal(
            *path, journal_.Lines(),
            {DesignName(), ToStdString(QDate::currentDate().toString("dd.MM.yyyy"))},
            context_.format);
    }
}

void JournalWindow::PrintCableJournal() {
    QTextDocument document;
    FillTableDocument(document,
                      CableJournalDocument(
                          journal_.Lines(),
                          {DesignName(), ToStdString(QDate::currentDate().toString("dd.MM.yyyy"))},
                          context_.format));
    context_.printer.Print(document, "Кабельный журнал " + DesignName(),
                           PageOrientation::Landscape);
}

// ---- The calculation ------------------------------------------------------------

void JournalWindow::Calculate() {
    if (!peers_.PostTableEdits()) {
        return;
    }
    BatchTables tables(context_.directory);
    const auto lines = static_cast<int>(journal_.LineCount());
    QProgressDialog progress("Расчёт линий…", "Остановить", 0, lines, this);
    progress.setObjectName("CalculationProgress");
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(kProgressDelayMs);
    progress.setValue(0);
    pending_.clear();
    CalculateJournal(journal_, tables, context_.format, [&progress](std::size_t done) {
        // Past the delay the bar shows, and the events it lets through keep
        // the window painted and the stop button alive.
        progress.setValue(static_cast<int>(done));
        return !progress.wasCanceled();
    });
    calculated_ = true;
    RefreshMarks();
    std::size_t stopped = 0;
    for (const JournalLine& line : journal_.Lines()) {
        stopped += std::holds_alternative<LineStop>(line.outcome) ? 1 : 0;
    }
    status_->setText(
        ToQString("Рассчитано линий: " + std::to_string(journal_.LineCount() - stopped) +
                  ", остановлено: " + std::to_string(stopped)));
}

void JournalWindow::JournalChanged(const JournalChange& change) {
    RefreshTitle();
    if (change.kind != JournalChange::Kind::Changed || !calculated_ ||
        change.first >= journal_.LineCount() ||
        !std::holds_alternative<std::monostate>(journal_.Line(change.first).outcome)) {
        return;
    }
    // After the edit has been taken, not inside the journal's own call.
    if (std::find(pending_.begin(), pending_.end(), change.first) == pending_.end()) {
        pending_.push_back(change.first);
        QTimer::singleShot(0, this, [this] {
            RunGuarded(context_.messages, [this] {
                const std::vector<std::size_t> lines = std::exchange(pending_, {});
                for (const std::size_t line : lines) {
                    RecalculateLine(line);
                }
            });
        });
    }
}

void JournalWindow::RecalculateLine(std::size_t line) {
    if (line >= journal_.LineCount()) {
        return;
    }
    BatchTables tables(context_.directory);
    const LineInputs inputs = journal_.Line(line).inputs;
    journal_.SetOutcome(line, inputs, CalculateLine(inputs, tables, context_.format));
    RefreshMarks();
}

void JournalWindow::RefreshMarks() {
    BatchTables tables(context_.directory);
    std::vector<std::vector<LineInput>> missing;
    std::size_t marked = 0;
    for (const JournalLine& line : journal_.Lines()) {
        missing.push_back(MissingNames(line.inputs, tables));
        marked += missing.back().empty() ? 0 : 1;
    }
    model_->SetMissing(std::move(missing));
    FitColumns();
    status_->setText(marked == 0 ? QString()
                                 : ToQString("Линий с таблицей, серией или трансформатором, "
                                             "которых нет в папке таблиц: " +
                                             std::to_string(marked) + " (отмечены цветом)"));
}

void JournalWindow::FitColumns() {
    grid_->resizeColumnsToContents();
    // A long stop message is the status cell's tip, not a column as wide
    // as the screen.
    const int status = static_cast<int>(JournalColumn::Status);
    grid_->setColumnWidth(status, std::min(grid_->columnWidth(status), kWidestStatus));
}

// ---- Lines ------------------------------------------------------------------------

std::vector<std::size_t> JournalWindow::SelectedLines() const {
    std::set<std::size_t> lines;
    for (const QModelIndex& index : grid_->selectionModel()->selectedIndexes()) {
        lines.insert(static_cast<std::size_t>(index.row()));
    }
    if (lines.empty() && grid_->currentIndex().isValid()) {
        lines.insert(static_cast<std::size_t>(grid_->currentIndex().row()));
    }
    return {lines.begin(), lines.end()};
}

std::optional<std::size_t> JournalWindow::CurrentLine() const {
    const QModelIndex current = grid_->currentIndex();
    if (!current.isValid() || static_cast<std::size_t>(current.row()) >= journal_.LineCount()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(current.row());
}

void JournalWindow::AddLine() {
    const std::size_t at = journal_.LineCount();
    journal_.Insert(at, {JournalLine{}});
    grid_->setCurrentIndex(model_->index(static_cast<int>(at), 0));
    RefreshMarks();
}

void JournalWindow::RemoveLines() {
    const std::vector<std::size_t> lines = SelectedLines();
    if (lines.empty()) {
        return;
    }
    const Answer answer = context_.messages.MessageBox(
        {"Удалить выделенные линии (" + std::to_string(lines.size()) + ")?", kCaption,
         Buttons::YesNo, Icon::Question});
    if (answer != Answer::Yes) {
        return;
    }
    // From the last, so that the positions before stay where they are.
    for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
        journal_.Remove(*line, 1);
    }
    RefreshMarks();
}

void JournalWindow::ToMainWindow() {
    if (const auto line = CurrentLine()) {
        peers_.ShowInMainWindow(journal_.Line(*line).inputs);
    }
}

void JournalWindow::ShowLineTrail() {
    const auto line = CurrentLine();
    if (!line || !peers_.PostTableEdits()) {
        return;
    }
    // Calculated again rather than kept for every line: the page and the
    // line's results then come from the same tables.
    BatchTables tables(context_.directory);
    const LineInputs inputs = journal_.Line(*line).inputs;
    Trail trail;
    journal_.SetOutcome(*line, inputs, CalculateLine(inputs, tables, context_.format, &trail));
    RefreshMarks();
    if (trailWindow_ == nullptr) {
        trailWindow_ = Named(new QDialog(this), "LineTrailWindow");
        auto* layout = new QVBoxLayout(trailWindow_);
        lineTrail_ = new TrailView;
        layout->addWidget(lineTrail_);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
        auto* save = Named(buttons->addButton("Сохранить…", QDialogButtonBox::ActionRole),
                           "TrailSaveButton");
        auto* print =
            Named(buttons->addButton("Печать…", QDialogButtonBox::ActionRole), "TrailPrintButton");
        Connect(save, &QPushButton::clicked, &JournalWindow::SaveLineTrail);
        Connect(print, &QPushButton::clicked, &JournalWindow::PrintLineTrail);
        connect(buttons, &QDialogButtonBox::rejected, trailWindow_, &QDialog::close);
        layout->addWidget(buttons);
        trailWindow_->resize(760, 560);
    }
    const std::string& name = inputs[LineInput::Designation];
    trailWindow_->setWindowTitle(ToQString("Обоснование" + (name.empty() ? "" : " — " + name)));
    lineTrail_->Show(trail, context_.format);
    trailWindow_->show();
    trailWindow_->raise();
    trailWindow_->activateWindow();
}

void JournalWindow::SaveLineTrail() {
    reportCommands_.SaveTrail(ToStdString(lineTrail_->toPlainText()), lineTrail_->FileName());
}

void JournalWindow::PrintLineTrail() {
    reportCommands_.PrintTrail(*lineTrail_->document(), ToStdString(trailWindow_->windowTitle()));
}

void JournalWindow::FromMainWindow() {
    const std::size_t at = journal_.LineCount();
    journal_.Insert(at, {JournalLine{peers_.MainWindowLine(), {}}});
    grid_->setCurrentIndex(model_->index(static_cast<int>(at), 0));
    RefreshMarks();
}

}  // namespace kalvenor
