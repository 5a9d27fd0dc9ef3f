#include "app/Elect.h"
#include "app/HelpWindow.h"
#include "app/Startup.h"
#include "base/TableMemory.h"
#include "output/DesktopServices.h"
#include "widgets/Guard.h"
#include "widgets/MessageBox.h"

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
    QtMessageBox messages;
    QtSaveFileChooser saveFiles;
    QtPrintService printer;
    QtProgramLauncher launcher;
    const std::filesystem::path directory = QCoreApplication::applicationDirPath().toStdString();
    HelpWindowViewer help(messages, directory);
    const Context context{
        .messages = messages,
        .format = NumberFormat{DecimalSeparator()},
        .directory = directory,
        .saveFiles = saveFiles,
        .printer = printer,
        .launcher = launcher,
        .help = help,
    };
    int result = 1;
    try {
        // The main window is on the screen first; the rest of start-up
        // follows its first paint.
        ShowMainWindowFirst(context);
        result = QApplication::exec();
    } catch (...) {
        ShowCurrentException(messages);
    }
    DestroyWindows(context);
    return result;
}
