#include "tables/Bazatok.h"

#include "tables/Catalogue.h"
#include "tables/CurrentTables.h"
#include "tables/Databases.h"
#include "tables/TableFiles.h"
#include "widgets/DatasetGrid.h"
#include "widgets/DatasetNavigator.h"
#include "widgets/DatasetTableModel.h"
#include "widgets/Frames.h"
#include "widgets/Guard.h"
#include "widgets/HelpKey.h"
#include "widgets/Text.h"

#include <QComboBox>
#include <QFormLayout>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QVBoxLayout>

using namespace kalvenor;

TBazaT* BazaT = nullptr;

namespace {

constexpr int kParametersWidth = 310;
constexpr int kTableWidth = 300;
constexpr int kButtonRow = 36;
constexpr int kOpeningRows = 10;

// The widest titles a current table's columns can have: the two data
// fields and the longest value of each parameter (a brand has up to nine
// characters).
const char* const kWidestTitles[] = {
    "Сечение", "Длительный ток", "ААББВВГГД", "Четыре провода в трубе", "4", "Провод", "Алюминий",
};

void LabelFor(QLabel* label, QWidget* field) {
    label->setBuddy(field);
    field->setAccessibleName(label->text());
}

QComboBox* NewList(const char* name) {
    auto* box = Named(new QComboBox, name);
    box->setCurrentIndex(-1);
    return box;
}

void Fill(QComboBox* box, const std::vector<std::string_view>& items) {
    box->clear();
    for (std::string_view item : items) {
        box->addItem(ToQString(item));
    }
    box->setCurrentIndex(-1);
}

}  // namespace

template <typename Sender, typename Signal>
void TBazaT::Connect(Sender* sender, Signal signal, void (TBazaT::*handler)()) {
    ConnectGuarded(context_.messages, sender, signal, this, handler);
}

TBazaT::TBazaT(const Context& context, Dataset& currentTable)
    : QDialog(nullptr, kWindowFrame), ClientDataSet1(currentTable), context_(context) {
    setObjectName("BazaT");
    setWindowTitle("Сечение и длительные токи ");
    setMinimumSize(753, 280);
    resize(753, 280);
    Panel1 = Named(new QFrame(this), "Panel1");

    GroupBox1 = Named(new QGroupBox("Параметры", Panel1), "GroupBox1");
    auto* form = new QFormLayout(GroupBox1);
    form->setRowWrapPolicy(QFormLayout::DontWrapRows);
    Label1 = Named(new QLabel("Название таблицы"), "Label1");
    Edit1 = Named(new QLineEdit, "Edit1");
    Edit1->setMaxLength(9);
    Label3 = Named(new QLabel("Способ прокладки"), "Label3");
    ComboBox1 = NewList("ComboBox1");
    for (const LayingMethod& method : LayingMethods()) {
        ComboBox1->addItem(ToQString(method.name));
    }
    ComboBox1->setCurrentIndex(-1);
    Label2 = Named(new QLabel("Марка провода или кабеля"), "Label2");
    Edit2 = Named(new QLineEdit, "Edit2");
    Edit2->setMaxLength(9);
    Label4 = Named(new QLabel("Колличество жил"), "Label4");
    ComboBox2 = NewList("ComboBox2");
    Fill(ComboBox2, {"2", "3", "4"});
    Label5 = Named(new QLabel("Тип проводки"), "Label5");
    ComboBox3 = NewList("ComboBox3");
    Fill(ComboBox3, {"Провод", kCable});
    Label6 = Named(new QLabel("Материал жил"), "Label6");
    ComboBox4 = NewList("ComboBox4");
    Fill(ComboBox4, {kCopper, "Алюминий"});
    Button1 = Named(new QPushButton("Создать"), "Button1");
    form->addRow(Label1, Edit1);
    form->addRow(Label3, ComboBox1);
    form->addRow(Label2, Edit2);
    form->addRow(Label4, ComboBox2);
    form->addRow(Label5, ComboBox3);
    form->addRow(Label6, ComboBox4);
    form->addRow(Button1);
    // Enter in a field must not create a table with whatever the lists hold.
    Button1->setAutoDefault(false);
    for (auto [label, field] : {std::pair<QLabel*, QWidget*>{Label1, Edit1},
                                {Label3, ComboBox1},
                                {Label2, Edit2},
                                {Label4, ComboBox2},
                                {Label5, ComboBox3},
                                {Label6, ComboBox4}}) {
        LabelFor(label, field);
    }

    GroupBox2 = Named(new QGroupBox("Таблица", Panel1), "GroupBox2");
    auto* tableBox = new QVBoxLayout(GroupBox2);
    DBGrid1 = Named(new DatasetGrid(context.messages), "DBGrid1");
    auto* model =
        new DatasetTableModel(ClientDataSet1, context.format,
                              PostRules{.positiveFields = kCurrentTablePositiveFields}, this);
    model->SetReadOnly(!context.tablesWritable);
    DBGrid1->SetDatasetModel(model);
    ClientDataSet1.SetChangedFilePolicy(AskBeforeWritingOver(context.messages));
    DBNavigator1 = Named(new DatasetNavigator(DBGrid1, DatasetNavigator::Full), "DBNavigator1");
    tableBox->addWidget(DBGrid1, 1);
    tableBox->addWidget(DBNavigator1);
    DBGrid1->setAccessibleName(GroupBox2->title());

    GroupBox3 = Named(new QGroupBox("Файл", Panel1), "GroupBox3");
    FileListBox1 = Named(new QListWidget(GroupBox3), "FileListBox1");
    FileListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    FileListBox1->setAccessibleName(GroupBox3->title());
    Button2 = Named(new QPushButton("Удалить", GroupBox3), "Button2");
    Button2->setAutoDefault(false);
    Button3 = Named(new QPushButton("Ok", Panel1), "Button3");
    Button3->setAutoDefault(false);

    // Only a selection loads a file: the focus arriving in the list makes a
    // row current without selecting it.
    Connect(FileListBox1, &QListWidget::itemSelectionChanged, &TBazaT::FileListBox1Change);
    Connect(ComboBox1, &QComboBox::activated, &TBazaT::ComboBox1Change);
    Connect(Button1, &QPushButton::clicked, &TBazaT::Button1Click);
    Connect(Button2, &QPushButton::clicked, &TBazaT::Button2Click);
    Connect(Button3, &QPushButton::clicked, &TBazaT::Button3Click);
    InstallHelpKey(this, context, HelpSection::TableEditor);

    parametersWidth_ = std::max(kParametersWidth, GroupBox1->sizeHint().width());
    const QFontMetrics header(DBGrid1->horizontalHeader()->font());
    const int headerMargin = 2 * style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, DBGrid1);
    int columns = 0;
    for (const char* title : kWidestTitles) {
        columns += header.horizontalAdvance(QString::fromUtf8(title)) + headerMargin + 8;
    }
    const int groupMargins =
        tableBox->contentsMargins().left() + tableBox->contentsMargins().right();
    fileListWidth_ =
        FileListBox1->fontMetrics().horizontalAdvance(ToQString(kWidestTableFileName)) +
        2 * FileListBox1->frameWidth() + FileListBox1->verticalScrollBar()->sizeHint().width() + 16;
    tableWidth_ = std::max(
        kTableWidth, columns + DBGrid1->verticalHeader()->width() + 2 * DBGrid1->frameWidth() +
                         DBGrid1->verticalScrollBar()->sizeHint().width() + groupMargins);
}

QSize TBazaT::OpeningSize() const {
    const QHeaderView* header = DBGrid1->horizontalHeader();
    const int headerHeight =
        std::max(header->sizeHint().height(), header->fontMetrics().height() + 6);
    const int rows = headerHeight + kOpeningRows * DBGrid1->verticalHeader()->defaultSectionSize() +
                     2 * DBGrid1->frameWidth() +
                     DBGrid1->horizontalScrollBar()->sizeHint().height();
    // The group's own layout knows its caption, margins and the navigator.
    const int minimum = DBGrid1->minimumHeight();
    DBGrid1->setMinimumHeight(rows);
    const int tableGroup = GroupBox2->minimumSizeHint().height();
    DBGrid1->setMinimumHeight(minimum);
    const int groupHeight = std::max(GroupBox1->sizeHint().height(), tableGroup);
    // The file list's group is 15 pixels wider than the list.
    return {parametersWidth_ + tableWidth_ + fileListWidth_ + 35, groupHeight + kButtonRow};
}

// The list is read when the window is shown, not at start-up: a folder of
// ten thousand tables would hold up the start for a list nobody sees yet.
void TBazaT::setVisible(bool visible) {
    if (visible) {
        RefreshChangedFileList();
    }
    if (visible && !opened_) {
        opened_ = true;
        ResizeAroundCentre(this, OpeningSize());
    }
    QDialog::setVisible(visible);
}

QListWidgetItem* TBazaT::SelectedFile() const {
    const QList<QListWidgetItem*> selected = FileListBox1->selectedItems();
    return selected.isEmpty() ? nullptr : selected.front();
}

void TBazaT::SelectFile(const QString& name) {
    const QSignalBlocker blocker(FileListBox1);
    const QList<QListWidgetItem*> found = FileListBox1->findItems(name, Qt::MatchExactly);
    FileListBox1->clearSelection();
    FileListBox1->setCurrentRow(found.isEmpty() ? -1 : FileListBox1->row(found.front()));
}

void TBazaT::RefreshFileList() {
    // Taken first: a change while the folder is read shows at the next look,
    // and so does one in the clock's tick of a change just made.
    folderStamp_ = FolderStampOf(context_.directory);
    if (folderStamp_ && !StampSettled(*folderStamp_)) {
        folderStamp_.reset();
    }
    std::vector<std::string> names = ListCurrentTableFiles(context_.directory);
    if (names == fileNames_) {
        return;
    }
    fileNames_ = std::move(names);
    const QListWidgetItem* current = SelectedFile();
    const QString selected = current != nullptr ? current->text() : QString();
    QStringList items;
    items.reserve(static_cast<qsizetype>(fileNames_.size()));
    for (const std::string& name : fileNames_) {
        items << ToQString(name);
    }
    {
        const QSignalBlocker blocker(FileListBox1);
        FileListBox1->clear();
        FileListBox1->addItems(items);
    }
    SelectFile(selected);
}

// Rebuilding a list of thousands of tables at every click cost fifty times
// loading the table clicked; the folder's stamp says when it is due.
void TBazaT::RefreshChangedFileList() {
    if (FolderStampOf(context_.directory) != folderStamp_) {
        RefreshFileList();
    }
}

void TBazaT::FileListBox1Change() {
    RefreshChangedFileList();
    if (FileListBox1->count() > 0) {
        ClientDataSet1.Close();
    }
    const QListWidgetItem* item = SelectedFile();
    if (item == nullptr) {
        return;
    }
    OpenCurrentTable(ClientDataSet1, context_.directory, ToStdString(item->text()));
    SayWhyReadOnly(ClientDataSet1, context_.tablesWritable, context_.messages);
}

void TBazaT::ComboBox1Change() {
    const int method = ComboBox1->currentIndex();
    if (method < 0) {
        return;
    }
    const LayingMethod& laying = LayingMethods()[static_cast<std::size_t>(method)];
    Fill(ComboBox3, laying.wiring);
    Fill(ComboBox2, laying.cores);
}

bool TBazaT::RefusedInReadOnlyFolder(const char* action) {
    if (context_.tablesWritable) {
        return false;
    }
    context_.messages.MessageBox({std::string("Таблицу нельзя ") + action + ": таблицы папки " +
                                      Quoted(context_.directory.string()) +
                                      " открыты только для просмотра.",
                                  "Предупреждение.", Buttons::Ok, Icon::Warning});
    return true;
}

void TBazaT::Button1Click() {
    if (RefusedInReadOnlyFolder("создать")) {
        return;
    }
    const NewCurrentTable request{
        .name = ToStdString(Edit1->text()),
        .brand = ToStdString(Edit2->text()),
        .laying = ToStdString(ComboBox1->currentText()),
        .cores = ToStdString(ComboBox2->currentText()),
        .wiring = ToStdString(ComboBox3->currentText()),
        .material = ToStdString(ComboBox4->currentText()),
    };
    if (const auto refusal = CreateCurrentTable(ClientDataSet1, context_.directory, request)) {
        context_.messages.MessageBox(*refusal);
        return;
    }
    RefreshFileList();
    SelectFile(ToQString(request.name + ".xml"));
}

void TBazaT::Button2Click() {
    if (RefusedInReadOnlyFolder("удалить")) {
        return;
    }
    ClientDataSet1.Close();
    const QListWidgetItem* item = SelectedFile();
    if (item == nullptr) {
        context_.messages.MessageBox(
            {"Выделите таблицу.", "Предупреждение.", Buttons::Ok, Icon::Warning});
        return;
    }
    if (context_.messages.MessageBox({"Хотите удалить таблицу?", "Подтверждение.",
                                      Buttons::YesNoCancel, Icon::Question}) != Answer::Yes) {
        return;
    }
    const std::filesystem::path path = context_.directory / ToStdString(item->text());
    std::error_code error;
    if (!std::filesystem::remove(path, error) && error) {
        context_.messages.MessageBox(ErrorMessage("Не удалось удалить файл " +
                                                  Quoted(path.string()) + ": " +
                                                  SystemErrorText(error.value()) + "."));
    }
    if (ClientDataSet1.BoundFile() == path) {
        ClientDataSet1.Bind({});
    }
    {
        const QSignalBlocker blocker(FileListBox1);
        FileListBox1->clearSelection();
        FileListBox1->setCurrentRow(-1);
    }
    // The list follows the folder: a file that could not be deleted stays.
    RefreshFileList();
}

void TBazaT::Button3Click() {
    accept();
}

void TBazaT::done(int result) {
    if (DBGrid1->PostPending()) {
        QDialog::done(result);
    }
}

void TBazaT::keyPressEvent(QKeyEvent* event) {
    if (!CancelRowOnEscape(event, DBGrid1)) {
        QDialog::keyPressEvent(event);
    }
}

void TBazaT::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    const int width = event->size().width();
    const int height = event->size().height();
    Panel1->setGeometry(0, 0, width, height);
    const int groupHeight = height - kButtonRow;
    // On a screen narrower than the opening size (a laptop at 125 %) the
    // table gives up width, its grid scrolling sideways: the parameters and
    // the file list, with their titles and buttons, stay whole in the window.
    const int tableWidth =
        std::clamp(width - parametersWidth_ - fileListWidth_ - 35, 0, tableWidth_);
    GroupBox1->setGeometry(4, 4, parametersWidth_, groupHeight);
    GroupBox2->setGeometry(8 + parametersWidth_, 4, tableWidth, groupHeight);
    GroupBox3->setGeometry(12 + parametersWidth_ + tableWidth, 4,
                           width - parametersWidth_ - tableWidth - 20, groupHeight);
    Button2->resize(Button2->sizeHint());
    FileListBox1->setGeometry(8, 20, width - parametersWidth_ - tableWidth - 35,
                              groupHeight - 28 - Button2->height());
    Button2->move(GroupBox3->width() / 2 - Button2->width() / 2,
                  groupHeight - Button2->height() - 6);
    Button3->resize(Button3->sizeHint().expandedTo(QSize(75, 0)));
    Button3->move(width - Button3->width() - 8, height - kButtonRow + 6);
    update();
}
