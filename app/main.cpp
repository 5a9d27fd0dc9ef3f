#include "app/HelpWindow.h"
#include "app/Signals.h"
#include "app/Startup.h"
#include "base/Files.h"
#include "base/TableMemory.h"
#include "output/DesktopServices.h"
#include "tables/Databases.h"
#include "widgets/Guard.h"
#include "widgets/MessageBox.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QStandardPaths>
#include <QTranslator>
#include <optional>

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

// The help lies beside the program in a build, and in the program's own
// folder under share/ when it is installed.
std::filesystem::path HelpHome(const std::filesystem::path& programDirectory) {
    if (std::filesystem::exists(programDirectory / kHelpFolder)) {
        return programDirectory;
    }
    return (programDirectory / ".." / "share" / "kalvenor").lexically_normal();
}

}  // namespace

int main(int argc, char* argv[]) {
    // A request to end the run may come at any moment from now on.
    TerminationRequests::CatchEarly();
    KeepTableMemoryBetweenLoads();
    QApplication application(argc, argv);
    QApplication::setApplicationName("Kalvenor");
    QApplication::setQuitOnLastWindowClosed(false);
    // The program speaks Russian whatever the desktop's language, and so do
    // the file and print dialogs it borrows from Qt.
    QTranslator qtTexts;
    if (qtTexts.load("qtbase_ru", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&qtTexts);
    }
    QtMessageBox shownMessages;
    UnattendedAfterRequest messages(shownMessages);
    QtSaveFileChooser saveFiles;
    QtOpenFileChooser openFiles;
    QtPrintService printer;
    QtProgramLauncher launcher;
    const std::filesystem::path programDirectory =
        QCoreApplication::applicationDirPath().toStdString();
    const std::filesystem::path directory = ChooseApplicationDirectory(
        programDirectory,
        QStandardPaths::writableLocation(QStandardPaths::AppDataLocation).toStdString());
    HelpWindowViewer help(messages, HelpHome(programDirectory));
    // Held for the whole run: a second copy on the folder only looks.
    const FolderLock tablesLock(directory);
    // Found out now, not at the end of a session of edits.
    const std::optional<std::string> folderProblem = TablesFolderProblem(directory, tablesLock);
    const Context context{
        .messages = messages,
        .format = NumberFormat{DecimalSeparator()},
        .directory = directory,
        .saveFiles = saveFiles,
        .openFiles = openFiles,
        .printer = printer,
        .launcher = launcher,
        .help = help,
        .tablesWritable = !folderProblem,
    };
    ProgramWindows windows(context);
    const TerminationRequests terminations([&windows] { EndRunOnRequest(windows); },
                                           [&windows] { EndRunAtOnce(windows); });
    int result = 0;
    try {
        if (folderProblem) {
            messages.MessageBox({*folderProblem, "Kalvenor", Buttons::Ok, Icon::Warning});
        }
        // The main window is on the screen first; the rest of start-up
        // follows its first paint. A request to end the run that closed the
        // box above ends it here.
        if (!EndRequested()) {
            windows.ShowMainWindowFirst();
            result = QApplication::exec();
        }
    } catch (...) {
        ShowCurrentException(messages);
        result = 1;
    }
    // The tables are written back, and a request to end the run is still
    // heard while that is reported.
    const bool written = windows.WriteTablesBack();
    const int status = result != 0 || written ? result : 1;
    TerminationRequests::RunEnded(status);
    return status;
}
