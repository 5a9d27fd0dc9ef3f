#include "tables/Bazatok.h"

#include "app/Application.h"
#include "tables/Catalogue.h"
#include "tables/DatasetGrid.h"
#include "tables/DatasetNavigator.h"
#include "tables/DatasetTableModel.h"
#include "tables/TableFiles.h"

#include <QComboBox>
#include <QFormLayout>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QResizeEvent>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <array>
#include <stdexcept>

using namespace kalvenor;
using app::Q;
using app::S;

TBazaT* BazaT = nullptr;

namespace {

constexpr int kParametersWidth = 310;
constexpr int kTableWidth = 300;
constexpr int kButtonRow = 36;

struct LayingMethod {
    const char* name;
    std::vector<const char*> wiring;
    std::vector<const char*> cores;
};

// The wiring types and core counts that make sense for each way of laying.
const std::array<LayingMethod, 5>& LayingMethods() {
    static const std::array<LayingMethod, 5> methods{{
        {"В воздухе", {"Провод", "Кабель"}, {"2", "3", "4"}},
        {"В земле", {"Кабель"}, {"2", "3", "4"}},
        {"Два провода в трубе", {"Провод"}, {"2"}},
        {"Три провода в трубе", {"Провод"}, {"3"}},
        {"Четыре провода в трубе", {"Провод"}, {"4"}},
    }};
    return methods;
}

bool FileExists(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::exists(path, error) && !std::filesystem::is_directory(path, error);
}

template <typename Widget>
Widget* Named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromUtf8(name));
    return widget;
}

QComboBox* NewList(const char* name, std::initializer_list<const char*> items) {
    auto* box = Named(new QComboBox, name);
    for (const char* item : items) {
        box->addItem(QString::fromUtf8(item));
    }
    box->setCurrentIndex(-1);
    return box;
}

}  // namespace

TBazaT::TBazaT() : QDialog(nullptr, kalvenor::app::kWindowFrame) {
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
    ComboBox1 = NewList("ComboBox1", {});
    for (const LayingMethod& method : LayingMethods()) {
        ComboBox1->addItem(QString::fromUtf8(method.name));
    }
    ComboBox1->setCurrentIndex(-1);
    Label2 = Named(new QLabel("Марка провода или кабеля"), "Label2");
    Edit2 = Named(new QLineEdit, "Edit2");
    Edit2->setMaxLength(9);
    Label4 = Named(new QLabel("Колличество жил"), "Label4");
    ComboBox2 = NewList("ComboBox2", {"2", "3", "4"});
    Label5 = Named(new QLabel("Тип проводки"), "Label5");
    ComboBox3 = NewList("ComboBox3", {"Провод", "Кабель"});
    Label6 = Named(new QLabel("Материал жил"), "Label6");
    ComboBox4 = NewList("ComboBox4", {"Медь", "Алюминий"});
    Button1 = Named(new QPushButton("Создать"), "Button1");
    form->addRow(Label1, Edit1);
    form->addRow(Label3, ComboBox1);
    form->addRow(Label2, Edit2);
    form->addRow(Label4, ComboBox2);
    form->addRow(Label5, ComboBox3);
    form->addRow(Label6, ComboBox4);
    form->addRow(Button1);

    GroupBox2 = Named(new QGroupBox("Таблица", Panel1), "GroupBox2");
    auto* tableBox = new QVBoxLayout(GroupBox2);
    DBGrid1 = Named(new DatasetGrid, "DBGrid1");
    DBGrid1->SetDatasetModel(
        new DatasetTableModel(ClientDataSet1, app::Format(), PostRules{}, this));
    DBNavigator1 = Named(new DatasetNavigator(DBGrid1, DatasetNavigator::Full), "DBNavigator1");
    tableBox->addWidget(DBGrid1, 1);
    tableBox->addWidget(DBNavigator1);

    GroupBox3 = Named(new QGroupBox("Файл", Panel1), "GroupBox3");
    FileListBox1 = Named(new QListWidget(GroupBox3), "FileListBox1");
    FileListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    Button2 = Named(new QPushButton("Удалить", GroupBox3), "Button2");
    Button3 = Named(new QPushButton("Ok", Panel1), "Button3");
    Button3->setAutoDefault(false);

    app::On(FileListBox1, &QListWidget::currentRowChanged, this, &TBazaT::FileListBox1Change);
    app::On(ComboBox1, &QComboBox::activated, this, &TBazaT::ComboBox1Change);
    app::On(Button1, &QPushButton::clicked, this, &TBazaT::Button1Click);
    app::On(Button2, &QPushButton::clicked, this, &TBazaT::Button2Click);
    app::On(Button3, &QPushButton::clicked, this, &TBazaT::Button3Click);
}

// The grid's model watches ClientDataSet1, which is gone before the children are.
TBazaT::~TBazaT() {
    delete DBGrid1->DatasetModel();
}

void TBazaT::FormCreate() {
    RefreshFileList();
}

void TBazaT::SelectFile(const QString& name) {
    const QSignalBlocker blocker(FileListBox1);
    const QList<QListWidgetItem*> found = FileListBox1->findItems(name, Qt::MatchExactly);
    FileListBox1->setCurrentRow(found.isEmpty() ? -1 : FileListBox1->row(found.front()));
}

void TBazaT::RefreshFileList() {
    const QListWidgetItem* current = FileListBox1->currentItem();
    const QString selected = current != nullptr ? current->text() : QString();
    {
        const QSignalBlocker blocker(FileListBox1);
        FileListBox1->clear();
        for (const std::string& name : ListCurrentTableFiles(app::Directory())) {
            FileListBox1->addItem(Q(name));
        }
    }
    SelectFile(selected);
}

void TBazaT::FileListBox1Change() {
    RefreshFileList();
    if (FileListBox1->count() > 0) {
        ClientDataSet1.Close();
    }
    const QListWidgetItem* item = FileListBox1->currentItem();
    if (item == nullptr) {
        return;
    }
    const std::string name = S(item->text());
    const std::filesystem::path path = app::Directory() / name;
    ClientDataSet1.Load(path);
    if (const auto problem = CurrentTableProblem(ClientDataSet1.FieldDefs(), name)) {
        ClientDataSet1.Close();
        throw FileError(*problem);
    }
    ClientDataSet1.Bind(path);
    ClientDataSet1.SetOrder(kSectionField);
}

void TBazaT::ComboBox1Change() {
    const int method = ComboBox1->currentIndex();
    if (method < 0) {
        return;
    }
    const LayingMethod& laying = LayingMethods()[static_cast<std::size_t>(method)];
    ComboBox3->clear();
    for (const char* wiring : laying.wiring) {
        ComboBox3->addItem(QString::fromUtf8(wiring));
    }
    ComboBox3->setCurrentIndex(-1);
    ComboBox2->clear();
    for (const char* cores : laying.cores) {
        ComboBox2->addItem(QString::fromUtf8(cores));
    }
    ComboBox2->setCurrentIndex(-1);
}

void TBazaT::RefuseCreation(const std::string& message) {
    app::MessageBox(message, "Предурпеждение.", kMbOkWarning);
}

void TBazaT::Button1Click() {
    const std::string name = S(Edit1->text());
    const std::filesystem::path& directory = app::Directory();
    // Checked before anything touches the file system: a name with a path
    // in it could name a file outside the application directory.
    if (const auto problem = TableNameProblem(name)) {
        RefuseCreation(*problem);
        return;
    }
    const std::string fileName = name + ".xml";
    if (FileExists(directory / fileName)) {
        app::MessageBox("Файл с таким именим существует.Измените название.", "Предупреждение.",
                        kMbOkWarning);
        return;
    }
    if (!name.empty() && FileExists(directory / name)) {
        app::MessageBox("Таблица с таким названием существует.", "Предупреждение.", kMbOkWarning);
        return;
    }
    constexpr const char* kFillEverything = "Все поля должны быть заполненными. ";
    if (name.empty()) {
        RefuseCreation(kFillEverything);
        return;
    }
    ClientDataSet1.Close();
    ClientDataSet1.FieldDefs().clear();
    ClientDataSet1.IndexDefs().clear();
    std::vector<FieldDef> fields;
    try {
        fields = CurrentTableFieldDefs(S(Edit2->text()), S(ComboBox1->currentText()),
                                       S(ComboBox2->currentText()), S(ComboBox3->currentText()),
                                       S(ComboBox4->currentText()));
    } catch (const std::invalid_argument&) {
        RefuseCreation(kFillEverything);
        return;
    }
    const std::filesystem::path path = directory / fileName;
    ClientDataSet1.FieldDefs() = std::move(fields);
    ClientDataSet1.IndexDefs() = CurrentTableIndexDefs();
    ClientDataSet1.CreateEmpty();
    ClientDataSet1.SetOrder(kSectionField);
    try {
        ClientDataSet1.Write(path);
    } catch (const FileError& failure) {
        // Nothing was written: leave no dataset bound to a file that is not there.
        ClientDataSet1.Close();
        RefuseCreation(failure.what());
        return;
    }
    // The written empty table stays open, bound to its new file: no need to
    // read back what was just written.
    ClientDataSet1.Bind(path);
    RefreshFileList();
    SelectFile(Q(fileName));
}

void TBazaT::Button2Click() {
    ClientDataSet1.Close();
    const QListWidgetItem* item = FileListBox1->currentItem();
    if (item == nullptr) {
        app::MessageBox("Выделите таблицу.", "Предупреждение.", kMbOkWarning);
        return;
    }
    if (app::MessageBox("Хотите удалить таблицу?", "Подтверждение.", kMbYesNoCancelQuestion) !=
        kIdYes) {
        return;
    }
    const std::filesystem::path path = app::Directory() / S(item->text());
    std::error_code error;
    if (!std::filesystem::remove(path, error) && error) {
        app::MessageBox("Не удалось удалить файл «" + path.string() + "»: " + error.message(),
                        "Kalvenor", kMbOkStop);
    }
    if (ClientDataSet1.BoundFile() == path) {
        ClientDataSet1.Bind({});
    }
    {
        const QSignalBlocker blocker(FileListBox1);
        delete FileListBox1->takeItem(FileListBox1->currentRow());
        FileListBox1->setCurrentRow(-1);
    }
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

void TBazaT::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    const int width = event->size().width();
    const int height = event->size().height();
    Panel1->setGeometry(0, 0, width, height);
    const int groupHeight = height - kButtonRow;
    GroupBox1->setGeometry(4, 4, kParametersWidth, groupHeight);
    GroupBox2->setGeometry(8 + kParametersWidth, 4, kTableWidth, groupHeight);
    GroupBox3->setGeometry(12 + kParametersWidth + kTableWidth, 4,
                           width - kParametersWidth - kTableWidth - 20, groupHeight);
    Button2->resize(Button2->sizeHint());
    FileListBox1->setGeometry(8, 20, width - kParametersWidth - kTableWidth - 35,
                              groupHeight - 28 - Button2->height());
    Button2->move(GroupBox3->width() / 2 - Button2->width() / 2,
                  groupHeight - Button2->height() - 6);
    Button3->resize(Button3->sizeHint().expandedTo(QSize(75, 0)));
    Button3->move(width - Button3->width() - 8, height - kButtonRow + 6);
    update();
}
