#include "tables/Basatrasformator.h"
#include "tables/Bazatok.h"
#include "tables/DataPacket.h"
#include "tables/Insertavt.h"
#include "tables/Unit1.h"
#include "tests/support/Tables.h"
#include "tests/ui/UiFixture.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTextEdit>

namespace kalvenor::ui {

using testing::ShownMessage;

namespace {

QStringList Items(const QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i) {
        items << box->itemText(i);
    }
    return items;
}

QStringList Files(const QListWidget* list) {
    QStringList names;
    for (int i = 0; i < list->count(); ++i) {
        names << list->item(i)->text();
    }
    return names;
}

std::vector<std::string> FieldNames(const std::filesystem::path& path) {
    std::vector<std::string> names;
    for (const FieldDef& field : ReadFieldDefs(path)) {
        names.push_back(field.name);
    }
    return names;
}

// Fills the editor's parameters as a user does and presses "Создать".
void CreateTable(const QString& name, const QString& laying, const QString& brand,
                 const QString& cores, const QString& wiring, const QString& material) {
    Find<QLineEdit>(BazaT, "Edit1")->setText(name);
    Choose(Find<QComboBox>(BazaT, "ComboBox1"), laying);
    Find<QLineEdit>(BazaT, "Edit2")->setText(brand);
    if (!cores.isEmpty()) {
        Choose(Find<QComboBox>(BazaT, "ComboBox2"), cores);
    }
    if (!wiring.isEmpty()) {
        Choose(Find<QComboBox>(BazaT, "ComboBox3"), wiring);
    }
    if (!material.isEmpty()) {
        Choose(Find<QComboBox>(BazaT, "ComboBox4"), material);
    }
    Find<QPushButton>(BazaT, "Button1")->click();
}

}  // namespace

class TablesTest : public QObject {
    Q_OBJECT
    UiFixture ui;

private slots:
    void init() { ui.Start(); }
    void cleanup() { ui.Stop(); }

    void newUserCreatesFillsAndUsesATable() {
        BazaT->show();
        CreateTable("ВВГ3", "В воздухе", "ВВГ", "3", "Кабель", "Медь");
        QVERIFY(ui.messages->shown.empty());
        const auto path = *ui.dir / "ВВГ3.xml";
        QCOMPARE(FieldNames(path), (std::vector<std::string>{"Сечение", "Длительный ток", "ВВГ",
                                                             "В воздухе", "3", "Кабель", "Медь"}));
        QCOMPARE(Files(Find<QListWidget>(BazaT, "FileListBox1")), QStringList{"ВВГ3.xml"});
        QCOMPARE(Find<DatasetGrid>(BazaT, "DBGrid1")->model()->rowCount(), 0);
        QCOMPARE(Find<DatasetGrid>(BazaT, "DBGrid1")->model()->columnCount(), 7);

        EnterRow(BazaT, Find<DatasetGrid>(BazaT, "DBGrid1"), {"4", "38"});
        EnterRow(BazaT, Find<DatasetGrid>(BazaT, "DBGrid1"), {"2,5", "27"});
        QCOMPARE(Column(Find<DatasetGrid>(BazaT, "DBGrid1")->model(), 0),
                 (QStringList{"2,5", "4"}));
        // A second row of one cross-section is refused and stays for correction.
        EnterRow(BazaT, Find<DatasetGrid>(BazaT, "DBGrid1"), {"4", "40"});
        QCOMPARE(ui.messages->shown.back().caption, "Kalvenor");
        QVERIFY(ui.messages->shown.back().text.find("Сечение") != std::string::npos);
        Click(BazaT, "Cancel");
        QCOMPARE(Find<DatasetGrid>(BazaT, "DBGrid1")->model()->rowCount(), 2);

        ui.Restart();
        Choose(Find<QComboBox>(Form1, "ComboBox3"), "2 x 380+0");
        QCOMPARE(Items(Find<QComboBox>(Form1, "ComboBox1")), QStringList{"ВВГ3.xml"});
        QCOMPARE(Find<QComboBox>(Form1, "ComboBox1")->currentIndex(), -1);
        Choose(Find<QComboBox>(Form1, "ComboBox1"), "ВВГ3.xml");
        QCOMPARE(Find<QLabel>(Form1, "Label2")->text(), QString("ВВГ"));
        QCOMPARE(Find<QLabel>(Form1, "Label6")->text(), QString("В воздухе"));
        QCOMPARE(Find<QLabel>(Form1, "Label27")->text(), QString("3"));
        QCOMPARE(Find<QLabel>(Form1, "Label5")->text(), QString("Кабель"));
        QCOMPARE(Find<QLabel>(Form1, "Label8")->text(), QString("Медь"));
        QCOMPARE(Find<QGroupBox>(Form1, "GroupBox7")->title(),
                 QString("Параметры таблицы    ВВГ3.xml"));
        QCOMPARE(Find<QGroupBox>(Form1, "GroupBox6")->title(), QString("Таблица   ВВГ3.xml"));
        QCOMPARE(Column(Find<DatasetGrid>(Form1, "DBGrid1")->model(), 1),
                 (QStringList{"27", "38"}));
    }

    void editorRefusalsWriteNothing() {
        CreateTable("ВВГ3", "В воздухе", "ВВГ", "3", "Кабель", "Медь");
        const auto before = test::FileNames(ui.dir->Path());
        const std::string breakers = test::ReadBytes(*ui.dir / "Avtomat.xml");
        const ShownMessage fileExists{"Файл с таким именим существует.Измените название.",
                                      "Предупреждение.", 48};
        const ShownMessage fillEverything{"Все поля должны быть заполненными. ", "Предурпеждение.",
                                          48};
        struct Attempt {
            QString name, laying, brand, cores, wiring, material;
            ShownMessage box;
        };
        const std::vector<Attempt> attempts{
            {"Avtomat", "В воздухе", "АВВГ", "3", "Кабель", "Медь", fileExists},
            {"tranform", "В воздухе", "АВВГ", "3", "Кабель", "Медь", fileExists},
            {"ВВГ3", "В воздухе", "АВВГ", "3", "Кабель", "Медь", fileExists},
            {"ВВГ3.xml",
             "В воздухе",
             "АВВГ",
             "3",
             "Кабель",
             "Медь",
             {"Таблица с таким названием существует.", "Предупреждение.", 48}},
            {"", "В воздухе", "АВВГ", "3", "Кабель", "Медь", fillEverything},
            {"ПВ", "В воздухе", "ПВ", "3", "", "Медь", fillEverything},
            {"М", "В воздухе", "Медь", "3", "Кабель", "Медь", fillEverything},
            {"С", "В воздухе", "Сечение", "3", "Кабель", "Медь", fillEverything},
        };
        for (const Attempt& attempt : attempts) {
            ui.messages->shown.clear();
            CreateTable(attempt.name, attempt.laying, attempt.brand, attempt.cores, attempt.wiring,
                        attempt.material);
            QCOMPARE(ui.messages->shown, (std::vector<ShownMessage>{attempt.box}));
        }
        for (const char* name : {"../x", "a/b", "a\\b", ".."}) {
            ui.messages->shown.clear();
            CreateTable(QString::fromUtf8(name), "В воздухе", "ВВГ", "3", "Кабель", "Медь");
            QCOMPARE(ui.messages->shown.size(), 1U);
            QCOMPARE(ui.messages->shown[0].caption, "Предурпеждение.");
        }
        QVERIFY(!std::filesystem::exists(ui.dir->Path().parent_path() / "x.xml"));
        QCOMPARE(test::FileNames(ui.dir->Path()), before);
        QCOMPARE(test::ReadBytes(*ui.dir / "Avtomat.xml"), breakers);
    }

    void layingMethodDecidesTheOtherLists() {
        Choose(Find<QComboBox>(BazaT, "ComboBox1"), "Три провода в трубе");
        QCOMPARE(Items(Find<QComboBox>(BazaT, "ComboBox2")), QStringList{"3"});
        QCOMPARE(Items(Find<QComboBox>(BazaT, "ComboBox3")), QStringList{"Провод"});
        QCOMPARE(Find<QComboBox>(BazaT, "ComboBox2")->currentIndex(), -1);
        QCOMPARE(Find<QComboBox>(BazaT, "ComboBox3")->currentIndex(), -1);
        Choose(Find<QComboBox>(BazaT, "ComboBox1"), "В земле");
        QCOMPARE(Items(Find<QComboBox>(BazaT, "ComboBox2")), (QStringList{"2", "3", "4"}));
        QCOMPARE(Items(Find<QComboBox>(BazaT, "ComboBox3")), QStringList{"Кабель"});
    }

    void deletingAsksFirst() {
        Find<QPushButton>(BazaT, "Button2")->click();
        QCOMPARE(ui.messages->shown.back(),
                 (ShownMessage{"Выделите таблицу.", "Предупреждение.", 48}));
        CreateTable("ААБ", "В земле", "ААБ", "4", "Кабель", "Алюминий");
        QCOMPARE(Find<QListWidget>(BazaT, "FileListBox1")->currentItem()->text(),
                 QString("ААБ.xml"));
        ui.messages->Plan(Answer::Cancel);
        Find<QPushButton>(BazaT, "Button2")->click();
        QCOMPARE(ui.messages->shown.back(),
                 (ShownMessage{"Хотите удалить таблицу?", "Подтверждение.", 35}));
        QVERIFY(std::filesystem::exists(*ui.dir / "ААБ.xml"));
        QCOMPARE(Find<DatasetGrid>(BazaT, "DBGrid1")->model()->columnCount(), 0);
        ui.messages->Plan(Answer::Yes);
        Find<QPushButton>(BazaT, "Button2")->click();
        QVERIFY(!std::filesystem::exists(*ui.dir / "ААБ.xml"));
        QCOMPARE(Find<QListWidget>(BazaT, "FileListBox1")->count(), 0);
    }

    // The list is read again when the folder changed, not at every click: a
    // table another program puts there shows at the next click, and the
    // selection stays on its file.
    void theFileListFollowsTheFolder() {
        const auto dir = ui.dir->Path();
        testing::WriteCurrentTable(dir / "A.xml", "В воздухе", "2", {{2.5, 27}});
        testing::WriteCurrentTable(dir / "C.xml", "В воздухе", "2", {{4, 38}});
        // Changed long ago, so that a change now gives the folder another time.
        std::filesystem::last_write_time(
            dir, std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
        BazaT->show();
        QCOMPARE(Files(Find<QListWidget>(BazaT, "FileListBox1")), (QStringList{"A.xml", "C.xml"}));
        Find<QListWidget>(BazaT, "FileListBox1")->item(0)->setSelected(true);
        QCOMPARE(BazaT->ClientDataSet1.BoundFile(), dir / "A.xml");

        testing::WriteCurrentTable(dir / "B.xml", "В воздухе", "2", {{6, 46}});
        Find<QListWidget>(BazaT, "FileListBox1")->item(1)->setSelected(true);
        QCOMPARE(Files(Find<QListWidget>(BazaT, "FileListBox1")),
                 (QStringList{"A.xml", "B.xml", "C.xml"}));
        QCOMPARE(BazaT->SelectedFile()->text(), QString("C.xml"));
        QCOMPARE(BazaT->ClientDataSet1.BoundFile(), dir / "C.xml");
        QVERIFY(ui.messages->shown.empty());
    }

    void catalogueOffersTablesByCores() {
        const auto dir = ui.dir->Path();
        testing::WriteCurrentTable(dir / "Two.xml", "В воздухе", "2", {{2.5, 27}});
        testing::WriteCurrentTable(dir / "Three.xml", "В земле", "3", {{2.5, 29}});
        testing::WriteCurrentTable(dir / "Four.xml", "В воздухе", "4", {{4, 38}});
        test::WriteBytes(dir / "broken.xml", "<DATAPACKET><METADATA>");
        Find<QTextEdit>(Form1, "RichEdit1")->setPlainText("отчёт");
        Find<QLineEdit>(Form1, "Edit5")->setText("45,455");
        Choose(Find<QComboBox>(Form1, "ComboBox3"), "2 x 380+0");
        QCOMPARE(Items(Find<QComboBox>(Form1, "ComboBox1")), QStringList{"Three.xml"});
        QCOMPARE(Find<QComboBox>(Form1, "ComboBox1")->currentIndex(), -1);
        QCOMPARE(Find<QLineEdit>(Form1, "Edit5")->text(), QString("0"));
        QVERIFY(Find<QTextEdit>(Form1, "RichEdit1")->toPlainText().isEmpty());
        QCOMPARE(Find<QLabel>(Form1, "Label21")->text(), QString("Напряжение = 2 x 380+0 v."));
        QCOMPARE(ui.messages->shown.size(), 1U);
        QVERIFY(ui.messages->shown[0].text.find("broken.xml") != std::string::npos);

        Find<QLineEdit>(Form1, "Edit4")->setText("30");
        Find<QLineEdit>(Form1, "Edit12")->setText("0,85");
        Choose(Find<QComboBox>(Form1, "ComboBox1"), "Three.xml");
        QCOMPARE(Find<QLineEdit>(Form1, "Edit4")->text(), QString("15"));
        QCOMPARE(Find<QLineEdit>(Form1, "Edit12")->text(), QString("1"));
        QCOMPARE(Find<QComboBox>(Form1, "ComboBox3")->currentIndex(), 1);
        QCOMPARE(Items(Find<QComboBox>(Form1, "ComboBox1")), QStringList{"Three.xml"});

        Choose(Find<QComboBox>(Form1, "ComboBox3"), "3 x 380+0");
        Choose(Find<QComboBox>(Form1, "ComboBox1"), "Four.xml");
        QCOMPARE(Find<QLineEdit>(Form1, "Edit4")->text(), QString("25"));
        QCOMPARE(Find<QComboBox>(Form1, "ComboBox3")->currentIndex(), 2);
    }

    void noTableForTheOptionAsksAndClears() {
        testing::WriteCurrentTable(*ui.dir / "Two.xml", "В воздухе", "2", {{2.5, 27}});
        Choose(Find<QComboBox>(Form1, "ComboBox3"), "380 + 0");
        Choose(Find<QComboBox>(Form1, "ComboBox1"), "Two.xml");
        ui.messages->shown.clear();
        ui.messages->Plan(Answer::Yes);
        Choose(Find<QComboBox>(Form1, "ComboBox3"), "3 x 380+0");
        QCOMPARE(ui.messages->shown,
                 (std::vector<ShownMessage>{
                     {"В базе данных <Допустимые длительные токи> нет четырехжильного провода "
                      "или кабеля.\nОткрыть базу данных? ",
                      "Kalvenor", 4}}));
        QCOMPARE(Find<QComboBox>(Form1, "ComboBox3")->currentIndex(), -1);
        QCOMPARE(Find<QLabel>(Form1, "Label21")->text(), QString());
        QCOMPARE(Find<QLabel>(Form1, "Label6")->text(), QString());
        QCOMPARE(Find<QGroupBox>(Form1, "GroupBox6")->title(), QString("таблица"));
        QVERIFY(BazaT->isVisible());
        QVERIFY(!BazaT->ClientDataSet1.Active());

        // The list closing without a voltage option reminds the user.
        ui.messages->shown.clear();
        Find<QComboBox>(Form1, "ComboBox1")->showPopup();
        Find<QComboBox>(Form1, "ComboBox1")->hidePopup();
        QCOMPARE(
            ui.messages->shown,
            (std::vector<ShownMessage>{{"Выберите необходимое напряжение сети", "Kalvenor", 0}}));
    }

    void choosingAMissingFileClearsTheParameters() {
        testing::WriteCurrentTable(*ui.dir / "Two.xml", "В воздухе", "2", {{2.5, 27}});
        Choose(Find<QComboBox>(Form1, "ComboBox3"), "380 + 0");
        Choose(Find<QComboBox>(Form1, "ComboBox1"), "Two.xml");
        std::filesystem::remove(*ui.dir / "Two.xml");
        ui.messages->shown.clear();
        Choose(Find<QComboBox>(Form1, "ComboBox1"), "Two.xml");
        QCOMPARE(ui.messages->shown,
                 (std::vector<ShownMessage>{{"Невозможно открыть файл", "", 0}}));
        QCOMPARE(Find<QComboBox>(Form1, "ComboBox1")->currentIndex(), -1);
        QCOMPARE(Find<QLabel>(Form1, "Label8")->text(), QString());
        QCOMPARE(Find<QGroupBox>(Form1, "GroupBox7")->title(),
                 QString("Параметры таблицы    Two.xml"));
    }
};

}  // namespace kalvenor::ui

static const kalvenor::ui::Registration<kalvenor::ui::TablesTest> registration;

#include "TablesTest.moc"
