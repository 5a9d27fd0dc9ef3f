#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

class QTextDocument;

namespace kalvenor {

// The save-file dialog: the file the user chose, or nothing when cancelled.
class SaveFileChooser {
public:
    virtual ~SaveFileChooser() = default;
    struct Request {
        std::string filter;         // "word (*doc)|*.doc": description, then the pattern
        std::string defaultSuffix;  // given to a name typed without one
        std::filesystem::path initial;
    };
    virtual std::optional<std::filesystem::path> ChooseSaveFile(const Request& request) = 0;
};

// The open-file dialog: an existing file the user chose, or nothing when
// cancelled. The filter is written as the save dialog's.
class OpenFileChooser {
public:
    virtual ~OpenFileChooser() = default;
    struct Request {
        std::string filter;
        std::filesystem::path initial;  // a folder, or a file in it
    };
    virtual std::optional<std::filesystem::path> ChooseOpenFile(const Request& request) = 0;
};

enum class PageOrientation { Portrait, Landscape };

// The print dialog and the printing after it; false when the user cancelled.
class PrintService {
public:
    virtual ~PrintService() = default;
    virtual bool Print(QTextDocument& document, const std::string& jobTitle,
                       PageOrientation orientation) = 0;
};

// Other programs of the desktop: the word processor, the calculator, the
// mail program behind a link.
class ProgramLauncher {
public:
    virtual ~ProgramLauncher() = default;
    // Whether a program of that name is on the PATH.
    virtual bool Exists(const std::string& program) const = 0;
    // Starts it on its own; false when it could not be started.
    virtual bool Start(const std::string& program, const std::vector<std::string>& arguments) = 0;
    // Hands an address ("mailto:...") to the desktop; false when nothing took it.
    virtual bool OpenUrl(const std::string& url) = 0;
};

// The sections of the help that F1 opens, by the help context numbers of
// the windows; the help's anchors carry the same numbers ("context-N").
enum class HelpSection : int {
    Contents = 0,
    MainWindow = 10,
    TableEditor = 30,
    BreakerDatabase = 40,
    TransformerDatabase = 50,
    // The main window's toolbar strip and the drop-limit dialog share one.
    ToolbarAndDropLimit = 1040,
    Coefficients = 1050,
};

// The program's help, at a section.
class HelpViewer {
public:
    virtual ~HelpViewer() = default;
    virtual void ShowHelp(HelpSection section) = 0;
};

}  // namespace kalvenor
