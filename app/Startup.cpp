#include "app/Startup.h"

#include "app/About.h"
#include "app/Elect.h"
#include "app/MainWindowPeers.h"
#include "calc/Prosent.h"
#include "coeff/Kf.h"
#include "tables/Basatrasformator.h"
#include "tables/Bazatok.h"
#include "tables/Insertavt.h"
#include "tables/Unit1.h"
#include "widgets/DatasetGrid.h"
#include "widgets/Frames.h"

#include <array>

using namespace kalvenor;

namespace {

// The main window's view of the other windows: the one instance of each.
class WindowPeers final : public MainWindowPeers {
public:
    Dataset& CurrentTable() override { return BazaT->ClientDataSet1; }
    Dataset& Breakers() override { return BazaAvt->AVT1; }
    Dataset& Transformers() override { return BazaTran->ClientDataSet2; }

    void ShowTableEditor(bool centred) override {
        if (centred) {
            CentreOnScreen(BazaT);
        }
        BazaT->show();
        BazaT->raise();
    }

    void ShowBreakerDatabase(bool modal) override {
        CentreOnScreen(BazaAvt);
        if (modal) {
            // A window already open from the menu would stay modeless: the
            // calculation waits for it, so it comes back modal.
            BazaAvt->hide();
            BazaAvt->ShowModal();
        } else {
            BazaAvt->show();
            BazaAvt->raise();
        }
    }

    void ShowTransformerDatabase() override {
        CentreOnScreen(BazaTran);
        BazaTran->show();
        BazaTran->raise();
    }

    std::string ChooseBreakerSeries(const std::vector<std::string>& series) override {
        return InsertAvtomat->Choose(series);
    }

    std::optional<double> AskPermittedDrop(double voltageDrop) override {
        return ProsentMin->Ask(voltageDrop);
    }

    void ShowAbout() override { AboutBox->exec(); }

    void ShowCoefficients() override { Form6->Open(); }

    bool PostTableEdits() override {
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
};

WindowPeers peers;

void WriteBack(Dataset* dataset, MessageBoxPort& messages) {
    try {
        dataset->Close();
    } catch (const FileError& failure) {
        messages.MessageBox(std::string(failure.what()) + "\nИзменения этой таблицы не сохранены.",
                            "Kalvenor", kMbOkStop);
    }
}

template <typename Window>
void Destroy(Window*& window) {
    delete window;
    window = nullptr;
}

}  // namespace

void CreateWindows(const Context& context) {
    // What a killed write left beside the tables, before any table is read.
    RemoveStaleTemporaryFiles(context.directory);
    Form1 = new TForm1(context, peers);
    AboutBox = new TAboutBox(context);
    AboutBox->SetTablesFolder(context.directory);
    Form6 = new TForm6(context, Form1->Grouping());
    BazaAvt = new TBazaAvt(context);
    BazaAvt->FormCreate();
    BazaT = new TBazaT(context);
    BazaT->FormCreate();
    Form1->BindTableView(BazaT->ClientDataSet1);
    InsertAvtomat = new TInsertAvtomat(context);
    ProsentMin = new TProsentMin(context);
    BazaTran = new TBazaTran(context);
    BazaTran->FormCreate();
    Form1->FillTransformerList(BazaTran->ClientDataSet2);
}

void DestroyWindows(const Context& context) {
    for (Dataset* dataset : {BazaAvt != nullptr ? &BazaAvt->AVT1 : nullptr,
                             BazaT != nullptr ? &BazaT->ClientDataSet1 : nullptr,
                             BazaTran != nullptr ? &BazaTran->ClientDataSet2 : nullptr}) {
        if (dataset != nullptr) {
            WriteBack(dataset, context.messages);
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
    Destroy(AboutBox);
}
