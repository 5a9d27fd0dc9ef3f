#include "app/Application.h"
#include "app/Elect.h"
#include "app/Startup.h"
#include "base/TableMemory.h"

#include <QApplication>
#include <QLocale>

using namespace kalvenor;

namespace {

// The user's decimal separator; one that is not a single ASCII character
// cannot be typed into the number fields, so such locales get a point.
char DecimalSeparator() {
    const QString point = QLocale::system().decimalPoint();
    if (point.size() == 1 && point.front().unicode() < 0x80) {
        return static_cast<char>(point.front().unicode());
    }
    return '.';
}

}  // namespace

int main(int argc, char* argv[]) {
    KeepTableMemoryBetweenLoads();
    QApplication application(argc, argv);
    QApplication::setApplicationName("Kalvenor");
    QApplication::setQuitOnLastWindowClosed(false);
    app::SetFormat(NumberFormat{DecimalSeparator()});
    app::SetDirectory(QCoreApplication::applicationDirPath().toStdString());
    int result = 1;
    try {
        CreateWindows();
        app::CentreOnScreen(Form1);
        Form1->show();
        result = QApplication::exec();
    } catch (const std::exception& error) {
        app::ShowException(error.what());
    } catch (...) {
        app::ShowException("");
    }
    DestroyWindows();
    return result;
}
