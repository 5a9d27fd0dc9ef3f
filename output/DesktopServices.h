#pragma once

#include "widgets/Services.h"

class QPrinter;

namespace kalvenor {

// Prints the document page by page on a printer already set up, under the
// job title given. The print service and the tests share it.
void PrintDocument(QTextDocument& document, QPrinter& printer, const std::string& jobTitle);

// The save-file dialog of the desktop: no question before replacing a file.
class QtSaveFileChooser final : public SaveFileChooser {
public:
    std::optional<std::filesystem::path> ChooseSaveFile(const Request& request) override;
};

// The open-file dialog of the desktop, for existing files only.
class QtOpenFileChooser final : public OpenFileChooser {
public:
    std::optional<std::filesystem::path> ChooseOpenFile(const Request& request) override;
};

// The print dialog (collate on, no page range, the orientation preset), then
// the document printed page by page on the printer chosen there.
class QtPrintService final : public PrintService {
public:
    bool Print(QTextDocument& document, const std::string& jobTitle,
               PageOrientation orientation) override;
};

// Programs found on the PATH, started on their own; addresses handed to the
// desktop.
class QtProgramLauncher final : public ProgramLauncher {
public:
    bool Exists(const std::string& program) const override;
    bool Start(const std::string& program, const std::vector<std::string>& arguments) override;
    bool OpenUrl(const std::string& url) override;
};

}  // namespace kalvenor
