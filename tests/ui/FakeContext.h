#pragma once

#include "output/DesktopServices.h"
#include "tests/core/TempDir.h"
#include "tests/support/ScriptedMessageBox.h"
#include "widgets/Context.h"

#include <QPrinter>
#include <QTextDocument>
#include <deque>
#include <memory>

namespace kalvenor::ui {

// A file dialog that answers from a plan (nothing planned: cancelled) and
// keeps what it was asked.
template <typename Request>
struct PlannedFiles {
    std::optional<std::filesystem::path> Answer(const Request& request) {
        requests.push_back(request);
        if (answers.empty()) {
            return std::nullopt;
        }
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::vector<Request> requests;
    std::deque<std::optional<std::filesystem::path>> answers;
};

class FakeSaveFileChooser final : public SaveFileChooser,
                                  public PlannedFiles<SaveFileChooser::Request> {
public:
    std::optional<std::filesystem::path> ChooseSaveFile(
        const SaveFileChooser::Request& request) override {
        return Answer(request);
    }
};

class FakeOpenFileChooser final : public OpenFileChooser,
                                  public PlannedFiles<OpenFileChooser::Request> {
public:
    std::optional<std::filesystem::path> ChooseOpenFile(
        const OpenFileChooser::Request& request) override {
        return Answer(request);
    }
};

// Records what would have been printed; with a PDF file named, prints
// there as the print dialog's "print to file" does.
class FakePrintService final : public PrintService {
public:
    bool Print(QTextDocument& document, const std::string& jobTitle,
               PageOrientation orientation) override {
        titles.push_back(jobTitle);
        texts.push_back(document.toPlainText().toStdString());
        orientations.push_back(orientation);
        if (accept && !pdf.empty()) {
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setPageOrientation(orientation == PageOrientation::Landscape
                                           ? QPageLayout::Landscape
                                           : QPageLayout::Portrait);
            printer.setOutputFileName(QString::fromStdString(pdf.string()));
            PrintDocument(document, printer, jobTitle);
        }
        return accept;
    }
    bool accept = true;
    std::filesystem::path pdf;
    std::vector<std::string> titles;
    std::vector<std::string> texts;
    std::vector<PageOrientation> orientations;
};

// A desktop with the programs a test says it has.
class FakeLauncher final : public ProgramLauncher {
public:
    bool Exists(const std::string& program) const override {
        return std::find(installed.begin(), installed.end(), program) != installed.end();
    }
    bool Start(const std::string& program, const std::vector<std::string>& arguments) override {
        started.emplace_back(program, arguments);
        return Exists(program) && startWorks;
    }
    bool OpenUrl(const std::string& url) override {
        urls.push_back(url);
        return true;
    }
    std::vector<std::string> installed;
    bool startWorks = true;
    std::vector<std::pair<std::string, std::vector<std::string>>> started;
    std::vector<std::string> urls;
};

class FakeHelpViewer final : public HelpViewer {
public:
    // The numbers, as the help context numbers are given.
    void ShowHelp(HelpSection section) override { shown.push_back(static_cast<int>(section)); }
    std::vector<int> shown;
};

// A context of fakes over a fresh application directory.
struct FakeContext {
    std::unique_ptr<test::TempDir> dir = std::make_unique<test::TempDir>();
    testing::ScriptedMessageBox messages;
    FakeSaveFileChooser saveFiles;
    FakeOpenFileChooser openFiles;
    FakePrintService printer;
    FakeLauncher launcher;
    FakeHelpViewer help;
    Context context{
        .messages = messages,
        .format = NumberFormat{','},
        .directory = dir->Path(),
        .saveFiles = saveFiles,
        .openFiles = openFiles,
        .printer = printer,
        .launcher = launcher,
        .help = help,
    };

    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const auto& message : messages.shown) {
            texts.push_back(message.text);
        }
        return texts;
    }
};

}  // namespace kalvenor::ui
