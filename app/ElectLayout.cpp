#include "app/Elect.h"

#include "output/TrailView.h"
#include "tables/TableFiles.h"
#include "widgets/DatasetGrid.h"
#include "widgets/DatasetNavigator.h"
#include "widgets/ElidedLabel.h"
#include "widgets/HelpKey.h"
#include "widgets/Icons.h"
#include "widgets/NumberInput.h"
#include "widgets/Text.h"

#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

using namespace kalvenor;

void TCloseUpComboBox::showPopup() {
    // Qt opens no list for an empty box; the user still clicked it, and the
    // list counts as opened and closed at once.
    if (count() == 0) {
        emit ClosedUp();
        return;
    }
    popupOpen_ = true;
    QComboBox::showPopup();
}

void TCloseUpComboBox::hidePopup() {
    QComboBox::hidePopup();
    // Qt also hides the popup when the box itself is hidden; only a list
    // that was open can close up.
    if (popupOpen_) {
        popupOpen_ = false;
        emit ClosedUp();
    }
}

namespace {

QLabel* NewLabel(const char* name, const char* caption) {
    return Named(new QLabel(QString::fromUtf8(caption)), name);
}

// A table parameter: a long value must not push the columns about.
QLabel* NewValueLabel(const char* name) {
    return Named(new ElidedLabel, name);
}

QLineEdit* NewEdit(const char* name, const char* text, const char* hint, bool readOnly) {
    auto* edit = Named(new QLineEdit(QString::fromUtf8(text)), name);
    edit->setToolTip(QString::fromUtf8(hint));
    edit->setReadOnly(readOnly);
    return edit;
}

// A screen reader names a field by the label the user sees beside it.
void LabelFor(QLabel* label, QWidget* field) {
    label->setBuddy(field);
    field->setAccessibleName(label->text());
}

// The program's own picture, a cable in section, for every window and the
// about box.
void UseProgramIcon() {
    static const QIcon icon(":/kalvenor/kalvenor.svg");
    if (!icon.pixmap(32, 32).isNull()) {
        QApplication::setWindowIcon(icon);
    }
}

// Desktop icon names for each command, with the style's picture when the
// theme has none of them.
struct CommandIconNames {
    std::initializer_list<const char*> names;
    QStyle::StandardPixmap fallback;
};

const CommandIconNames kTablesIcon{{"view-list-details", "x-office-spreadsheet"},
                                   QStyle::SP_FileDialogDetailedView};
const CommandIconNames kSaveIcon{{"document-save"}, QStyle::SP_DialogSaveButton};
const CommandIconNames kPrintIcon{{"document-print"}, QStyle::SP_FileIcon};
const CommandIconNames kExitIcon{{"application-exit"}, QStyle::SP_DialogCloseButton};
const CommandIconNames kCoefficientIcon{{"format-number-percent", "accessories-calculator"},
                                        QStyle::SP_FileDialogInfoView};
const CommandIconNames kCalculatorIcon{{"accessories-calculator"}, QStyle::SP_DesktopIcon};
const CommandIconNames kWordIcon{{"x-office-document"}, QStyle::SP_FileIcon};
const CommandIconNames kJournalIcon{{"view-list-text", "document-multiple"},
                                    QStyle::SP_FileDialogListView};
const CommandIconNames kCurrentTablesIcon{{"x-office-spreadsheet"}, QStyle::SP_FileDialogListView};
const CommandIconNames kBreakersIcon{{"network-disconnect", "server-database"},
                                     QStyle::SP_DriveHDIcon};
const CommandIconNames kTransformersIcon{{"preferences-system-power-management", "battery"},
                                         QStyle::SP_ComputerIcon};
const CommandIconNames kHelpIcon{{"help-contents"}, QStyle::SP_DialogHelpButton};
const CommandIconNames kAboutIcon{{"help-about"}, QStyle::SP_MessageBoxInformation};

const QIcon& IconOf(const CommandIconNames& icon) {
    return CommandIcon(icon.names, icon.fallback);
}

QGroupBox* NewGroup(const char* name, const char* caption) {
    return Named(new QGroupBox(QString::fromUtf8(caption)), name);
}

}  // namespace
void TForm1::CreateMenu() {
    UseProgramIcon();
    const auto item = [](QMenu* menu, const char* name, const char* caption, const char* shortcut,
                         const CommandIconNames* icon) {
        QAction* action = icon != nullptr
                              ? menu->addAction(IconOf(*icon), QString::fromUtf8(caption))
                              : menu->addAction(QString::fromUtf8(caption));
        action->setObjectName(QString::fromUtf8(name));
        if (shortcut != nullptr) {
            action->setShortcut(QKeySequence(QString::fromUtf8(shortcut)));
        }
        return action;
    };
    const auto menu = [this](const char* name, const char* caption) {
        return Named(menuBar()->addMenu(QString::fromUtf8(caption)), name);
    };
    File1 = menu("File1", "Файл");
    N2 = item(File1, "N2", TForm1::kOpenTable, "Ctrl+T", &kTablesIcon);
    N10 = item(File1, "N10", "Сохранить", "Ctrl+S", &kSaveIcon);
    N11 = item(File1, "N11", "Печать", "Ctrl+P", &kPrintIcon);
    trailSave_ = item(File1, "TrailSaveAction", "Сохранить обоснование…", nullptr, nullptr);
    trailPrint_ = item(File1, "TrailPrintAction", "Печать обоснования…", nullptr, nullptr);
    // Nothing to save or print until a calculation has run.
    trailSave_->setEnabled(false);
    trailPrint_->setEnabled(false);
    File1->addSeparator();
    N3 = item(File1, "N3", "Выход", "Ctrl+C", &kExitIcon);
    N18 = menu("N18", "Трансформатор");
    N19 = item(N18, "N19", "Использовать трансформатор", "Ctrl+A", nullptr);
    N20 = item(N18, "N20", "Не использовать трансформатор", "Ctrl+B", nullptr);
    N19->setCheckable(true);
    N20->setCheckable(true);
    N6 = menu("N6", "Коэффициенты");
    N7 = item(N6, "N7", "&Кабели в земле", "Ctrl+K", &kCoefficientIcon);
    N24 = menu("N24", "Сервис");
    N25 = item(N24, "N25", "Калькулятор", nullptr, &kCalculatorIcon);
    Word1 = item(N24, "Word1", "Microsoft Word", nullptr, &kWordIcon);
    N24->addSeparator();
    N26 = item(N24, "N26", "Журнал линий", "Ctrl+J", &kJournalIcon);
    N8 = menu("N8", "База данных");
    N15 = item(N8, "N15", "Допустимые длительные токи", "Ctrl+D", &kCurrentTablesIcon);
    N17 = item(N8, "N17", "Автоматы", "Ctrl+E", &kBreakersIcon);
    N21 = item(N8, "N21", "Трансформаторы", "Ctrl+F", &kTransformersIcon);
    N1 = menu("N1", "Справка");
    N4 = item(N1, "N4", "Содержание", "Ctrl+H", &kHelpIcon);
    N5 = item(N1, "N5", "О программе", "Ctrl+G", &kAboutIcon);
}

void TForm1::CreateToolbars() {
    ControlBar1 = Named(new QWidget, "ControlBar1");
    ControlBar1->setFixedHeight(33);
    auto* strip = new QHBoxLayout(ControlBar1);
    strip->setContentsMargins(0, 0, 0, 0);
    strip->setSpacing(2);
    const auto bar = [strip](const char* name) {
        auto* toolBar = Named(new QToolBar, name);
        toolBar->setIconSize(QSize(16, 16));
        strip->addWidget(toolBar);
        return toolBar;
    };
    const auto button = [](QToolBar* toolBar, const char* name, const char* hint,
                           const CommandIconNames& icon) {
        if (!toolBar->actions().isEmpty()) {
            toolBar->addSeparator();
        }
        auto* toolButton = Named(new QToolButton, name);
        toolButton->setToolTip(QString::fromUtf8(hint));
        // The hint is the button's caption for a screen reader.
        toolButton->setAccessibleName(QString::fromUtf8(hint));
        toolButton->setIcon(IconOf(icon));
        toolButton->setAutoRaise(true);
        toolBar->addWidget(toolButton);
        return toolButton;
    };
    QToolBar* toolBar1 = bar("ToolBar1");
    ToolButton2 = button(toolBar1, "ToolButton2", "Таблицы", kTablesIcon);
    ToolButton1 = button(toolBar1, "ToolButton1", "Коэффициенты", kCoefficientIcon);
    QToolBar* toolBar3 = bar("ToolBar3");
    ToolButton7 = button(toolBar3, "ToolButton7", "Сохранить", kSaveIcon);
    ToolButton9 = button(toolBar3, "ToolButton9", "Печать", kPrintIcon);
    ToolButton11 = button(toolBar3, "ToolButton11", "Справка", kHelpIcon);
    ToolButton13 = button(toolBar3, "ToolButton13", "О программе", kAboutIcon);
    ToolButton15 = button(toolBar3, "ToolButton15", "Выход", kExitIcon);
    QToolBar* toolBar4 = bar("ToolBar4");
    ToolButton4 = button(toolBar4, "ToolButton4", "Допустимые длительные токи", kCurrentTablesIcon);
    ToolButton6 = button(toolBar4, "ToolButton6", "Автоматы", kBreakersIcon);
    ToolButton17 = button(toolBar4, "ToolButton17", "Трансформаторы", kTransformersIcon);
    QToolBar* toolBar5 = bar("ToolBar5");
    ToolButton18 = button(toolBar5, "ToolButton18", "Калькулятор", kCalculatorIcon);
    ToolButton20 = button(toolBar5, "ToolButton20", "Microsoft Word", kWordIcon);
    ToolButton21 = button(toolBar5, "ToolButton21", "Журнал линий", kJournalIcon);
    QToolBar* toolBar2 = bar("ToolBar2");
    ComboBox1 = Named(new TCloseUpComboBox, "ComboBox1");
    ComboBox1->setToolTip("Таблицы <Допустимые длительные токи>");
    ComboBox1->setAccessibleName(ComboBox1->toolTip());
    ComboBox1->setMinimumWidth(150);
    ComboBox1->addItem(QString());
    ComboBox1->setCurrentIndex(-1);
    toolBar2->addWidget(ComboBox1);
    strip->addStretch();
}

void TForm1::MeasureLeftColumn() {
    // The titles as they read once a table is chosen, and the toggle's
    // longer caption: these must show whole.
    const QString name = ToQString(kWidestTableFileName);
    const QString parametersTitle = GroupBox7->title();
    const QString tableTitle = GroupBox6->title();
    const QString toggle = Button3->text();
    GroupBox7->setTitle("Параметры таблицы    " + name);
    GroupBox6->setTitle("Таблица   " + name);
    Button3->setText(QString::fromUtf8(kCloseTable));
    leftLeast_ = GroupBox1->sizeHint().width();
    GroupBox7->setTitle(parametersTitle);
    GroupBox6->setTitle(tableTitle);
    Button3->setText(toggle);
    // The value labels claim no width (they cut a long text short): the
    // widest value a table made in the editor has is added to what the
    // captions and the frames take.
    const QFontMetrics metrics(Label6->font());
    int value = 0;
    for (const QString& text : {name.chopped(4), QString("Четыре провода в трубе"),
                                QString("Алюминий"), QString("Кабель"), QString("Провод")}) {
        value = std::max(value, metrics.horizontalAdvance(text));
    }
    leftFull_ = std::max(leftLeast_, GroupBox1->sizeHint().width() + value);
}

QSize TForm1::OpeningSize() {
    // A report line is 76 characters, the separators: the report box is
    // measured for one whole, with its margins, frame and scroll bar.
    const QFontMetrics metrics(RichEdit1->document()->defaultFont());
    const int line = metrics.horizontalAdvance(QString(76, QLatin1Char('-'))) +
                     2 * static_cast<int>(RichEdit1->document()->documentMargin()) +
                     2 * RichEdit1->frameWidth() +
                     RichEdit1->verticalScrollBar()->sizeHint().width() + 2;
    // Added to the size the layout asks for rather than set as the box's
    // least width: the window must stay free to shrink below it on a narrow
    // screen, and a least width set and taken back stays in the layout's
    // cached minimum until the window is shown.
    GroupBox1->setFixedWidth(leftFull_);
    QSize size = sizeHint();
    size.rwidth() += std::max(0, line - RichEdit1->sizeHint().width());
    size = size.expandedTo(QSize(801, 564));
    // On a narrow screen (a laptop at 125 %) a whole report line comes
    // before the longest laying method, which the left column then cuts
    // short; the titles still show whole.
    if (const QScreen* shownOn = screen()) {
        const int narrower = std::clamp(size.width() - shownOn->availableGeometry().width(), 0,
                                        leftFull_ - leftLeast_);
        GroupBox1->setFixedWidth(leftFull_ - narrower);
        size.rwidth() -= narrower;
    }
    return size;
}

void TForm1::CreateControls() {
    CreateToolbars();
    auto* central = new QWidget;
    auto* outer = new QVBoxLayout(central);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(2);
    outer->addWidget(ControlBar1);
    auto* columns = new QHBoxLayout;
    outer->addLayout(columns, 1);

    // Left column: the open table's parameters and the table view.
    GroupBox1 = NewGroup("GroupBox1", "");
    auto* left = new QVBoxLayout(GroupBox1);
    GroupBox7 = NewGroup("GroupBox7", "Параметры таблицы");
    auto* parameters = new QGridLayout(GroupBox7);
    const auto pair = [parameters](QLabel* caption, QLabel* value) {
        const int row = parameters->rowCount();
        parameters->addWidget(caption, row, 0);
        parameters->addWidget(value, row, 1);
    };
    Label7 = NewLabel("Label7", "Тип проводки - ");
    Label5 = NewValueLabel("Label5");
    Label4 = NewLabel("Label4", "Марка - ");
    Label2 = NewValueLabel("Label2");
    Label3 = NewLabel("Label3", "Способ прокладки - ");
    Label6 = NewValueLabel("Label6");
    Label1 = NewLabel("Label1", "Материал жил - ");
    Label8 = NewValueLabel("Label8");
    Label26 = NewLabel("Label26", "Количество жил -");
    Label27 = NewValueLabel("Label27");
    pair(Label7, Label5);
    pair(Label4, Label2);
    pair(Label3, Label6);
    pair(Label1, Label8);
    pair(Label26, Label27);
    parameters->setColumnStretch(1, 1);
    left->addWidget(GroupBox7);
    GroupBox6 = NewGroup("GroupBox6", "Таблица");
    auto* tableBox = new QVBoxLayout(GroupBox6);
    DBGrid1 = Named(new DatasetGrid(context_.messages), "DBGrid1");
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->setVisible(false);
    DBGrid1->setAccessibleName("Таблица");
    tableBox->addWidget(DBGrid1, 1);
    DBNavigator1 = Named(new DatasetNavigator(DBGrid1, DatasetNavigator::Browse), "DBNavigator1");
    DBNavigator1->setVisible(false);
    tableBox->addWidget(DBNavigator1);
    tableBox->addStretch();
    Button3 = Named(new QPushButton(TForm1::kOpenTable), "Button3");
    tableBox->addWidget(Button3);
    left->addWidget(GroupBox6, 1);
    columns->addWidget(GroupBox1, 0);

    // Middle column: results, network parameters, the calculate button.
    GroupBox2 = NewGroup("GroupBox2", "Расчет сечений проводов и кабелей");
    auto* middle = new QVBoxLayout(GroupBox2);
    GroupBox4 = NewGroup("GroupBox4", "Сечение и длительный ток");
    auto* results = new QGridLayout(GroupBox4);
    const auto row = [](QGridLayout* grid, QLabel* caption, QWidget* field, QLabel* unit) {
        const int at = grid->rowCount();
        grid->addWidget(caption, at, 0);
        grid->addWidget(field, at, 1);
        if (unit != nullptr) {
            grid->addWidget(unit, at, 2);
        }
    };
    Label15 = NewLabel("Label15", "Сечение");
    Edit1 = NewEdit("Edit1", "0", "Сечение проводов", true);
    Label16 = NewLabel("Label16", "кв. мм");
    Label17 = NewLabel("Label17", "Длит. ток");
    Edit2 = NewEdit("Edit2", "0", "Длительный ток для данного сечения", true);
    Label18 = NewLabel("Label18", "А");
    Label11 = NewLabel("Label11", "Ном. ток");
    Edit5 = NewEdit("Edit5", "0", "Номинальный ток протекающий в нагрузке", true);
    Label14 = NewLabel("Label14", "А");
    row(results, Label15, Edit1, Label16);
    row(results, Label17, Edit2, Label18);
    row(results, Label11, Edit5, Label14);
    LabelFor(Label15, Edit1);
    LabelFor(Label17, Edit2);
    LabelFor(Label11, Edit5);
    Label21 = NewLabel("Label21", "");
    Label21->setStyleSheet("color: maroon; font-size: 13px;");
    results->addWidget(Label21, results->rowCount(), 0, 1, 3);
    middle->addWidget(GroupBox4);

    GroupBox3 = NewGroup("GroupBox3", "Параметры сети");
    auto* network = new QGridLayout(GroupBox3);
    Label19 = NewLabel("Label19", "Трансформатор");
    ComboBox2 = Named(new QComboBox, "ComboBox2");
    ComboBox2->setEditable(true);
    ComboBox2->setInsertPolicy(QComboBox::NoInsert);
    for (const char* name : {"TM-25/10", "TM-40/10", "TM-63/10", "TM-100/10", "TM-160/10",
                             "TM-250/10", "TM-400/10", "TM-630/10", ""}) {
        ComboBox2->addItem(QString::fromUtf8(name));
    }
    ComboBox2->setCurrentIndex(0);
    Label29 = NewLabel("Label29", "Коэф. кол. кабелей");
    Edit12 = NewEdit("Edit12", "1", "", true);
    Label23 = NewLabel("Label23", "Напряжение сети");
    ComboBox3 = Named(new QComboBox, "ComboBox3");
    ComboBox3->setToolTip("Напряжение сети");
    ComboBox3->addItems({"380 + 0", "2 x 380+0", "3 x 380+0"});
    ComboBox3->setCurrentIndex(-1);
    Label25 = NewLabel("Label25", "V");
    Label22 = NewLabel("Label22", "Длина трассы");
    Edit6 = NewEdit("Edit6", "0", "Длина провода или кабеля", false);
    Label24 = NewLabel("Label24", "м");
    Label9 = NewLabel("Label9", "Мощность");
    Edit3 = NewEdit("Edit3", "0", "Мощность нагрузки", false);
    Label12 = NewLabel("Label12", "KWT");
    Label20 = NewLabel("Label20", "Козф. мощности");
    Edit11 = NewEdit("Edit11", "1", "Коэффициент мощности нагрузки", false);
    Label10 = NewLabel("Label10", "Температура");
    Edit4 = NewEdit("Edit4", "25", "Темрература среды", false);
    Label13 = NewLabel("Label13", "t");
    Label13->setStyleSheet("font-size: 13px;");
    row(network, Label19, ComboBox2, nullptr);
    row(network, Label29, Edit12, nullptr);
    row(network, Label23, ComboBox3, Label25);
    row(network, Label22, Edit6, Label24);
    row(network, Label9, Edit3, Label12);
    row(network, Label20, Edit11, nullptr);
    row(network, Label10, Edit4, Label13);
    for (QLineEdit* number : {Edit6, Edit3, Edit11, Edit4}) {
        MakeNumberInput(number, context_.format.decimalSeparator);
    }
    LabelFor(Label19, ComboBox2);
    LabelFor(Label29, Edit12);
    LabelFor(Label23, ComboBox3);
    LabelFor(Label22, Edit6);
    LabelFor(Label9, Edit3);
    LabelFor(Label20, Edit11);
    LabelFor(Label10, Edit4);
    middle->addWidget(GroupBox3);
    Button1 = Named(new QPushButton("Расчет сечений по длительному нагреву"), "Button1");
    middle->addWidget(Button1);
    middle->addStretch();
    columns->addWidget(GroupBox2, 0);

    // Right column: the report.
    GroupBox8 = NewGroup("GroupBox8", "Расчетные данные");
    auto* right = new QVBoxLayout(GroupBox8);
    RichEdit1 = Named(new QTextEdit, "RichEdit1");
    RichEdit1->setAcceptRichText(false);
    // One report line, one line on screen: a narrow column would break the
    // separators and the figures after their labels.
    RichEdit1->setLineWrapMode(QTextEdit::NoWrap);
    // The report stays editable, but Tab moves on as in every other field.
    RichEdit1->setTabChangesFocus(true);
    RichEdit1->setAccessibleName(GroupBox8->title());
    // The report first and by default; beside it, why the calculation chose
    // what the report says.
    reportPages_ = Named(new QTabWidget, "ReportPages");
    reportPages_->addTab(RichEdit1, "Отчет");
    trail_ = new kalvenor::TrailView;
    reportPages_->addTab(trail_, "Обоснование");
    right->addWidget(reportPages_);
    // The report takes whatever width the window gains.
    GroupBox8->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    columns->addWidget(GroupBox8, 1);

    Panel2 = Named(new QFrame, "Panel2");
    static_cast<QFrame*>(Panel2)->setFrameShape(QFrame::StyledPanel);
    Panel2->setFixedHeight(26);
    outer->addWidget(Panel2);
    setCentralWidget(central);

    // A long table name or laying method from elsewhere is cut short rather
    // than move the inputs: the left column keeps the width of the longest
    // ones a table made in the editor has.
    MeasureLeftColumn();
    GroupBox1->setFixedWidth(leftFull_);

    // F1 on the toolbar strip has a section of its own.
    InstallHelpKey(this, context_, [this] {
        const QWidget* focused = QApplication::focusWidget();
        return focused != nullptr && ControlBar1->isAncestorOf(focused)
                   ? HelpSection::ToolbarAndDropLimit
                   : HelpSection::MainWindow;
    });
}
