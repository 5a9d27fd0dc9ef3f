#include "tables/Basatrasformator.h"
#include "tables/Bazatok.h"
#include "tables/DataPacket.h"
#include "tables/Insertavt.h"
#include "tables/Unit1.h"
#include "tests/support/Tables.h"
#include "tests/ui/UiFixture.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace kalvenor::ui {

using testing::ShownMessage;

inline QStringList Items(const QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i) {
        items << box->itemText(i);
    }
    return items;
}

class DatabasesTest : public QObject {
    Q_OBJECT
    UiFixture ui;

    // Inputs for a calculation on a one-phase table "Two.xml".
    void PrepareCalculation() {
        const auto dir = ui.dir->Path();
        testing::WriteCurrentTable(dir / "Two.xml", "В воздухе", "2",
                                   {{2.5, 27}, {10, 70}, {16, 90}});
        testing::WriteBreakers(dir, {{"ВА47-63", 6, 63, 1, 5}, {"АП50", 1.6, 50, 1, 10}});
        Dataset transformers;
        testing::FillTransformers(transformers, {{"TM-25/10", 25, 4.5}, {"TM-40/10", 40, 4.7}});
        transformers.Write(dir / "tranform.xml");
        ui.Restart();
        Choose(Find<QComboBox>(Form1, "ComboBox3"), "380 + 0");
        Choose(Find<QComboBox>(Form1, "ComboBox1"), "Two.xml");
        Find<QLineEdit>(Form1, "Edit3")->setText("10");
        Find<QLineEdit>(Form1, "Edit6")->setText("100");
        ui.messages->shown.clear();
    }

    // The chooser, once open, reports what it offers and confirms the first.
    static void AnswerChooserWithFirst(QStringList& offered) {
        WhenModal([&offered] {
            for (int i = 0; i < Find<QComboBox>(InsertAvtomat, "ComboBox1")->count(); ++i) {
                offered << Find<QComboBox>(InsertAvtomat, "ComboBox1")->itemText(i);
            }
            Find<QComboBox>(InsertAvtomat, "ComboBox1")->setCurrentIndex(0);
            Find<QPushButton>(InsertAvtomat, "Button2")->click();
        });
    }

    // A new breaker row typed into the grid and not posted.
    static void TypeUnpostedBreaker(const QStringList& cells) {
        DatasetGrid* grid = Find<DatasetGrid>(BazaAvt, "DBGrid3");
        Click(BazaAvt, "Insert");
        grid->FinishEditor(false);
        for (int column = 0; column < cells.size(); ++column) {
            grid->model()->setData(grid->model()->index(0, column), cells[column]);
        }
    }

private slots:
    void init() { ui.Start(); }
    void cleanup() { ui.Stop(); }

    void breakerWindowKeepsRowsInOrderAndRefusesIncompleteOnes() {
        Find<QAction>(Form1, "N17")->trigger();
        QVERIFY(BazaAvt->isVisible());
        auto* model = Find<DatasetGrid>(BazaAvt, "DBGrid3")->model();
        QCOMPARE(model->columnCount(), 5);
        QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), QString("Мин. ном. ток. А"));
        EnterRow(BazaAvt, Find<DatasetGrid>(BazaAvt, "DBGrid3"), {"ВА47-63", "6", "63", "1", "5"});
        EnterRow(BazaAvt, Find<DatasetGrid>(BazaAvt, "DBGrid3"), {"АП50", "1,6", "50", "1", "10"});
        QCOMPARE(Column(model, 0), (QStringList{"АП50", "ВА47-63"}));
        EnterRow(BazaAvt, Find<DatasetGrid>(BazaAvt, "DBGrid3"), {"АЕ2046", "10", "63", "", "12"});
        QCOMPARE(ui.messages->shown.back(),
                 (ShownMessage{"Поле «Число полюсов» должно быть заполнено.", "Kalvenor", 16}));
        // The window cannot be closed, nor the program ended, over that row.
        Find<QPushButton>(BazaAvt, "Button1")->click();
        QVERIFY(BazaAvt->isVisible());
        Form1->show();
        QVERIFY(!Form1->close());
        Click(BazaAvt, "Cancel");
        Find<QPushButton>(BazaAvt, "Button1")->click();
        QVERIFY(!BazaAvt->isVisible());
        ui.Restart();
        QCOMPARE(Column(Find<DatasetGrid>(BazaAvt, "DBGrid3")->model(), 0),
                 (QStringList{"АП50", "ВА47-63"}));
    }

    // A multiple of 0 passes every trip check; a power of 0 is no transformer;
    // a cross-section or a current of 0 is no row of a table.
    void everyWindowRefusesMagnitudesOfZeroOrBelow() {
        EnterRow(BazaAvt, BazaAvt->DBGrid3, {"Ноль", "6", "63", "1", "0"});
        EnterRow(BazaTran, BazaTran->DBGrid1,
                 {"TM-0/10", "-40", "10", "0,4", "175", "880", "4,5", "3"});
        testing::WriteCurrentTable(*ui.dir / "T.xml", "В воздухе", "2", {});
        BazaT->RefreshFileList();
        Find<QListWidget>(BazaT, "FileListBox1")->setCurrentRow(0);
        EnterRow(BazaT, BazaT->DBGrid1, {"0", "27"});
        QCOMPARE(ui.Texts(),
                 (std::vector<std::string>{"Поле «Кратность тока при КЗ» должно быть больше нуля.",
                                           "Поле «Мощность кВА» должно быть больше нуля.",
                                           "Поле «Сечение» должно быть больше нуля."}));
        for (const char* file : {"Avtomat.xml", "tranform.xml", "T.xml"}) {
            QCOMPARE(ReadDataPacket(*ui.dir / file).rows.size(), 0U);
        }
    }

    void transformerListFollowsTheDatabaseAndTheFile() {
        Find<QAction>(Form1, "N21")->trigger();
        EnterRow(BazaTran, Find<DatasetGrid>(BazaTran, "DBGrid1"),
                 {"TM-63/10", "63", "10", "0,4", "240", "1280", "4,5", "2,8"});
        EnterRow(BazaTran, Find<DatasetGrid>(BazaTran, "DBGrid1"),
                 {"TM-40/10", "40", "10", "0,4", "175", "880", "4,5", "3"});
        EnterRow(BazaTran, Find<DatasetGrid>(BazaTran, "DBGrid1"),
                 {"TM-40/6", "40", "6", "0,4", "175", "880", "4,5", "3"});
        QVERIFY(ui.messages->shown.empty());
        const QStringList order{"TM-40/10", "TM-40/6", "TM-63/10"};
        QCOMPARE(Column(Find<DatasetGrid>(BazaTran, "DBGrid1")->model(), 0), order);
        // The main window's list is the database's rows, in their order, at once.
        QCOMPARE(Items(Find<QComboBox>(Form1, "ComboBox2")), order);
        QCOMPARE(Find<QComboBox>(Form1, "ComboBox2")->currentText(), QString("TM-63/10"));
        // A name entered twice is refused: it would make the power ambiguous.
        EnterRow(BazaTran, Find<DatasetGrid>(BazaTran, "DBGrid1"),
                 {"TM-40/6", "63", "6", "0,4", "240", "1280", "4,5", "2,8"});
        QCOMPARE(ui.messages->shown.size(), 1U);
        QCOMPARE(ui.messages->shown[0].text,
                 std::string("Запись со значением поля «Трансформатор» = TM-40/6 уже есть."));
        Click(BazaTran, "Cancel");
        ui.messages->shown.clear();
        QCOMPARE(Items(Find<QComboBox>(Form1, "ComboBox2")), order);
        // Deleting the selected transformer selects the first and voids the results.
        Find<QLineEdit>(Form1, "Edit1")->setText("16");
        ui.messages->Plan(Answer::Yes);
        Find<DatasetGrid>(BazaTran, "DBGrid1")->SelectRow(2);
        Click(BazaTran, "Delete");
        QCOMPARE(Items(Find<QComboBox>(Form1, "ComboBox2")), (QStringList{"TM-40/10", "TM-40/6"}));
        QCOMPARE(Find<QComboBox>(Form1, "ComboBox2")->currentIndex(), 0);
        QCOMPARE(Find<QLineEdit>(Form1, "Edit1")->text(), QString("0"));
        ui.Restart();
        QCOMPARE(Items(Find<QComboBox>(Form1, "ComboBox2")), (QStringList{"TM-40/10", "TM-40/6"}));
        QCOMPARE(Find<QComboBox>(Form1, "ComboBox2")->currentIndex(), 0);
    }

    void unpostedRowGoesAlongWhenTheWindowCloses() {
        Find<QAction>(Form1, "N17")->trigger();
        TypeUnpostedBreaker({"АП50", "1,6", "50", "1", "10"});
        Find<QPushButton>(BazaAvt, "Button1")->click();
        QVERIFY(!BazaAvt->isVisible());
        QCOMPARE(BazaAvt->AVT1.RowCount(), 1U);
    }

    void leavingARowPostsItOrKeepsTheCursorThere() {
        Find<QAction>(Form1, "N17")->trigger();
        EnterRow(BazaAvt, Find<DatasetGrid>(BazaAvt, "DBGrid3"), {"ВА47-63", "6", "63", "1", "5"});
        DatasetGrid* grid = Find<DatasetGrid>(BazaAvt, "DBGrid3");
        QAbstractItemModel* model = grid->model();
        Click(BazaAvt, "Insert");
        grid->FinishEditor(false);
        model->setData(model->index(0, 0), "АП50");
        const std::size_t shown = ui.messages->shown.size();
        grid->setCurrentIndex(model->index(1, 0));
        QTRY_COMPARE(ui.messages->shown.size(), shown + 1);
        QCOMPARE(ui.messages->shown.back().text,
                 std::string("Поле «Мин. ном. ток. А» должно быть заполнено."));
        QCOMPARE(grid->currentIndex().row(), 0);
        for (int column = 1; column < 5; ++column) {
            model->setData(model->index(0, column), "10");
        }
        grid->setCurrentIndex(model->index(1, 0));
        QTRY_COMPARE(BazaAvt->AVT1.RowCount(), 2U);
        QCOMPARE(Column(model, 0), (QStringList{"АП50", "ВА47-63"}));
    }

    void writeBackThatFailsAtTheEndIsReportedByName() {
        // The file's place is taken by a folder: no write can succeed, neither
        // the post's own nor the write-back at the end.
        std::filesystem::remove(*ui.dir / "Avtomat.xml");
        std::filesystem::create_directory(*ui.dir / "Avtomat.xml");
        QVERIFY_THROWS_EXCEPTION(FileError, BazaAvt->AVT1.InsertRow({std::string("АП50"), 1.6, 50.0,
                                                                     std::int64_t{1}, 10.0}));
        ui.DestroyWindows();
        QCOMPARE(ui.messages->shown.size(), 1U);
        const ShownMessage& box = ui.messages->shown[0];
        QVERIFY(box.text.find((*ui.dir / "Avtomat.xml").string()) != std::string::npos);
        QVERIFY(box.text.find("Изменения этой таблицы не сохранены.") != std::string::npos);
        QCOMPARE(box.flags, 16);
        ui.CreateWindows();
        std::filesystem::remove(*ui.dir / "Avtomat.xml");
    }

    void damagedDatabaseIsKeptAsideNotOverwritten() {
        const std::string garbage = "<DATAPACKET>не таблица";
        test::WriteBytes(*ui.dir / "Avtomat.xml", garbage);
        ui.Restart();
        QCOMPARE(ui.messages->shown.size(), 1U);
        QVERIFY(ui.messages->shown[0].text.find("Avtomat.xml.bad") != std::string::npos);
        QCOMPARE(test::ReadBytes(*ui.dir / "Avtomat.xml.bad"), garbage);
        QCOMPARE(BazaAvt->AVT1.FieldDefs().size(), 5U);
        QVERIFY(BazaAvt->AVT1.Active());
    }

    void chooserInsistsOnAnOfferedSeries() {
        WhenModal([] {
            Find<QPushButton>(InsertAvtomat, "Button2")->click();
            Find<QComboBox>(InsertAvtomat, "ComboBox1")->setEditText("ВА");
            Find<QPushButton>(InsertAvtomat, "Button2")->click();
            InsertAvtomat->reject();
            QVERIFY(InsertAvtomat->isVisible());
            Find<QComboBox>(InsertAvtomat, "ComboBox1")->setCurrentIndex(1);
            Find<QPushButton>(InsertAvtomat, "Button2")->click();
        });
        QCOMPARE(InsertAvtomat->Choose({"ВА47-63", "АП50"}), std::string("АП50"));
        QCOMPARE(ui.messages->shown,
                 (std::vector<ShownMessage>(
                     2, ShownMessage{"Установите автомат.", "Предупреждение.", 48})));
        QCOMPARE(InsertAvtomat->ChosenSeries, std::string("АП50"));
        // The next calculation starts with nothing selected; a typed name
        // that is exactly an offered one counts as that one.
        WhenModal([] {
            QCOMPARE(Find<QComboBox>(InsertAvtomat, "ComboBox1")->currentIndex(), -1);
            Find<QComboBox>(InsertAvtomat, "ComboBox1")->setEditText("ВА47-63");
            Find<QPushButton>(InsertAvtomat, "Button2")->click();
        });
        QCOMPARE(InsertAvtomat->Choose({"ВА47-63", "АП50"}), std::string("ВА47-63"));
    }

    void calculationReachesTheChooserWithTheFittingSeries() {
        PrepareCalculation();
        QStringList offered;
        AnswerChooserWithFirst(offered);
        Find<QPushButton>(Form1, "Button1")->click();
        // The calculation goes on to the 2,5 % question, answered No.
        QCOMPARE(ui.Texts(), std::vector<std::string>{
                                 "Падение напряжения  4,53. Уменьшить падение напряжения?"});
        QCOMPARE(offered, (QStringList{"АП50", "ВА47-63"}));
        QCOMPARE(InsertAvtomat->ChosenSeries, std::string("АП50"));
        QCOMPARE(Find<QLineEdit>(Form1, "Edit5")->text(), QString("45,455"));
        QCOMPARE(Find<QLabel>(Form1, "Label21")->text(), QString("Напряжение = 380 + 0 v."));
        QCOMPARE(Find<QComboBox>(Form1, "ComboBox2")->currentText(), QString("TM-40/10"));
    }

    void noFittingBreakerOffersTheDatabase() {
        PrepareCalculation();
        Find<QLineEdit>(Form1, "Edit3")->setText("15");  // 68,182 A: above every range
        ui.messages->Plan(Answer::Yes);
        bool shown = false;
        WhenModal([&shown] {
            shown = BazaAvt->isVisible() && BazaAvt->isModal();
            Find<QPushButton>(BazaAvt, "Button1")->click();
        });
        Find<QPushButton>(Form1, "Button1")->click();
        QVERIFY(shown);
        QCOMPARE(ui.Texts(), (std::vector<std::string>{
                                 "В базе данных нет соответствующего однополюсного автомата. "
                                 "Открыть базу данных?"}));
        QCOMPARE(Find<QLineEdit>(Form1, "Edit1")->text(), QString());
        QCOMPARE(Find<QLineEdit>(Form1, "Edit2")->text(), QString());
        QCOMPARE(Find<QLineEdit>(Form1, "Edit5")->text(), QString());
    }

    void aRowStillBeingTypedIsPostedBeforeTheCalculationRereadsTheFile() {
        PrepareCalculation();
        Find<QAction>(Form1, "N17")->trigger();
        TypeUnpostedBreaker({"ВА88", "40", "63", "1", "10"});
        QStringList offered;
        AnswerChooserWithFirst(offered);
        Find<QPushButton>(Form1, "Button1")->click();
        QCOMPARE(offered, (QStringList{"АП50", "ВА47-63", "ВА88"}));
    }

    void powerThatIsNotANumberShowsTheConversionError() {
        PrepareCalculation();
        Find<QLineEdit>(Form1, "Edit3")->setText("десять");
        ui.messages->shown.clear();
        Find<QPushButton>(Form1, "Button1")->click();
        QCOMPARE(ui.messages->shown,
                 (std::vector<ShownMessage>{{"\"десять\" не является числом.", "Kalvenor", 16}}));
    }
};

}  // namespace kalvenor::ui

static const kalvenor::ui::Registration<kalvenor::ui::DatabasesTest> registration;

#include "DatabasesTest.moc"
