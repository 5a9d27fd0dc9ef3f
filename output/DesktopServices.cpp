#include "output/DesktopServices.h"

#include "widgets/Text.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTextDocument>
#include <QUrl>
#include <memory>

namespace kalvenor {

namespace {

// The filter is written "description|pattern": the list of file types shows
// the description as it stands ("Журнал линий (*.kvj)", "word (*doc)") and the
// dialog lists the files the pattern matches. Qt takes the pattern from
// "description (pattern)" and, told to hide it, shows the description alone,
// where it would otherwise show the pattern twice.
void SetFilter(QFileDialog& dialog, const std::string& written) {
    const QString filter = ToQString(written);
    const qsizetype bar = filter.indexOf(QLatin1Char('|'));
    dialog.setNameFilter(bar < 0 ? filter : filter.left(bar) + " (" + filter.mid(bar + 1) + ")");
    dialog.setOption(QFileDialog::HideNameFilterDetails, bar >= 0);
}

// The file the user accepted, read from one copy of the dialog's list.
std::optional<std::filesystem::path> ChosenFile(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty()) {
        return std::nullopt;
    }
    return std::filesystem::path(ToStdString(files.front()));
}

}  // namespace

std::optional<std::filesystem::path> QtSaveFileChooser::ChooseSaveFile(const Request& request) {
    QFileDialog dialog(QApplication::activeWindow());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    SetFilter(dialog, request.filter);
    dialog.setDefaultSuffix(ToQString(request.defaultSuffix));
    if (!request.initial.empty()) {
        dialog.selectFile(ToQString(request.initial.string()));
    }
    return ChosenFile(dialog);
}

std::optional<std::filesystem::path> QtOpenFileChooser::ChooseOpenFile(const Request& request) {
    QFileDialog dialog(QApplication::activeWindow());
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    SetFilter(dialog, request.filter);
    if (std::filesystem::is_directory(request.initial)) {
        dialog.setDirectory(ToQString(request.initial.string()));
    } else if (!request.initial.empty()) {
        dialog.selectFile(ToQString(request.initial.string()));
    }
    return ChosenFile(dialog);
}

// Page by page over the printer's whole printable area, as the report box
// prints: no margins, page numbers or headers of the program's own (Qt's
// own printing of a document adds 2 cm margins and page numbers).
void PrintDocument(QTextDocument& document, QPrinter& printer, const std::string& jobTitle) {
    printer.setDocName(ToQString(jobTitle));
    const std::unique_ptr<QTextDocument> copy(document.clone());
    copy->documentLayout()->setPaintDevice(&printer);
    const QRectF page(QPointF(0, 0), printer.pageRect(QPrinter::DevicePixel).size());
    copy->setPageSize(page.size());
    QPainter painter(&printer);
    for (int index = 0; index < copy->pageCount(); ++index) {
        if (index > 0) {
            printer.newPage();
        }
        painter.save();
        painter.translate(0, -index * page.height());
        copy->drawContents(&painter, page.translated(0, index * page.height()));
        painter.restore();
    }
}

// The dialog offers "print to file" as PDF: Qt's PDF writer is the
// program's PDF export.
bool QtPrintService::Print(QTextDocument& document, const std::string& jobTitle,
                           PageOrientation orientation) {
    QPrinter printer;
    printer.setCollateCopies(true);
    printer.setPageOrientation(orientation == PageOrientation::Landscape ? QPageLayout::Landscape
                                                                         : QPageLayout::Portrait);
    // The dialog names its PDF file after the document: a blank title would
    // offer " .pdf". The job gets its title when it is printed.
    printer.setDocName("Отчет");
    QPrintDialog dialog(&printer, QApplication::activeWindow());
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    PrintDocument(document, printer, jobTitle);
    return true;
}

bool QtProgramLauncher::Exists(const std::string& program) const {
    return !QStandardPaths::findExecutable(ToQString(program)).isEmpty();
}

bool QtProgramLauncher::Start(const std::string& program,
                              const std::vector<std::string>& arguments) {
    QStringList list;
    for (const std::string& argument : arguments) {
        list << ToQString(argument);
    }
    return QProcess::startDetached(ToQString(program), list);
}

bool QtProgramLauncher::OpenUrl(const std::string& url) {
    return QDesktopServices::openUrl(QUrl(ToQString(url)));
}

}  // namespace kalvenor
