#include "app/Startup.h"

#include "app/About.h"
#include "app/Application.h"
#include "app/Elect.h"
#include "calc/Prosent.h"
#include "coeff/Kf.h"
#include "tables/Basatrasformator.h"
#include "tables/Bazatok.h"
#include "tables/Insertavt.h"
#include "tables/Unit1.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QUrl>

using namespace kalvenor;

namespace {

// The desktop's programs and links until the windows are built with the
// context object, which carries the launcher of the run.
class DesktopLauncher final : public ProgramLauncher {
public:
    bool Exists(const std::string& program) const override {
        return !QStandardPaths::findExecutable(app::Q(program)).isEmpty();
    }
    bool Start(const std::string& program, const std::vector<std::string>& arguments) override {
        QStringList list;
        for (const std::string& argument : arguments) {
            list << app::Q(argument);
        }
        return QProcess::startDetached(app::Q(program), list);
    }
    bool OpenUrl(const std::string& url) override {
        return QDesktopServices::openUrl(QUrl(app::Q(url)));
    }
};

DesktopLauncher desktop;

}  // namespace

void CreateWindows() {
    Form1 = new TForm1;
    AboutBox = new TAboutBox(desktop);
    AboutBox->SetTablesFolder(app::Directory());
    Form6 = new TForm6;
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
    Destroy(AboutBox);
}
