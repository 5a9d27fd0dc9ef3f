#include "app/Startup.h"

#include "app/About.h"
#include "app/Application.h"
#include "app/Elect.h"
#include "calc/Prosent.h"
#include "coeff/GroupingTarget.h"
#include "coeff/Kf.h"
#include "tables/Basatrasformator.h"
#include "tables/Bazatok.h"
#include "tables/Insertavt.h"
#include "tables/Unit1.h"

#include <memory>

using namespace kalvenor;

namespace {

// The coefficient dialog hands its value to the main window through this.
std::unique_ptr<GroupingTarget> mainWindowGrouping;

}  // namespace

void CreateWindows() {
    Form1 = new TForm1;
    AboutBox = new TAboutBox;
    mainWindowGrouping = std::make_unique<MainWindowGroupingTarget>(*Form1);
    Form6 = new TForm6(app::Messages(), app::Format(), *mainWindowGrouping);
    BazaAvt = new TBazaAvt;
    BazaAvt->FormCreate();
    BazaT = new TBazaT;
    BazaT->FormCreate();
    Form1->BindTableView(BazaT->ClientDataSet1);
    InsertAvtomat = new TInsertAvtomat;
    ProsentMin = new TProsentMin;
    BazaTran = new TBazaTran;
    BazaTran->FormCreate();
}

namespace {

void WriteBack(Dataset* dataset) {
    try {
        dataset->Close();
    } catch (const FileError& failure) {
        app::MessageBox(std::string(failure.what()) + "\nИзменения этой таблицы не сохранены.",
                        "Kalvenor", kMbOkStop);
    }
}

template <typename Window>
void Destroy(Window*& window) {
    delete window;
    window = nullptr;
}

}  // namespace

void DestroyWindows() {
    for (Dataset* dataset : {BazaAvt != nullptr ? &BazaAvt->AVT1 : nullptr,
                             BazaT != nullptr ? &BazaT->ClientDataSet1 : nullptr,
                             BazaTran != nullptr ? &BazaTran->ClientDataSet2 : nullptr}) {
        if (dataset != nullptr) {
            WriteBack(dataset);
        }
    }
    // The main window's table view watches the editor's dataset: it goes first.
    Destroy(Form1);
    Destroy(BazaTran);
    Destroy(ProsentMin);
    Destroy(InsertAvtomat);
    Destroy(BazaT);
    Destroy(BazaAvt);
    Destroy(Form6);
    mainWindowGrouping.reset();
    Destroy(AboutBox);
}
