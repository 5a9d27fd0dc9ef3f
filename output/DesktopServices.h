#pragma once

#include "widgets/Services.h"

namespace kalvenor {

// The save-file dialog of the desktop: no question before replacing a file.
class QtSaveFileChooser final : public SaveFileChooser {
public:
    std::optional<std::filesystem::path> ChooseSaveFile(const Request& request) override;
};

// The print dialog (collate on, no page range), then the document printed
// page by page on the printer chosen there.
class QtPrintService final : public PrintService {
public:
    bool Print(QTextDocument& document, const std::string& jobTitle) override;
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
