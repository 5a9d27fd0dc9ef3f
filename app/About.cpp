#include "app/About.h"

#include "app/Version.h"
#include "widgets/Frames.h"
#include "widgets/Guard.h"

#include <qdrawutil.h>
#include <QApplication>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

using namespace kalvenor;

TAboutBox* AboutBox = nullptr;

namespace {

const QColor kLinkGreen(0, 128, 0);
const QColor kLinkRed(255, 0, 0);
const QColor kNavy(0, 0, 128);

// The frame of the box: a lowered outer bevel around a raised inner one.
class BevelPanel : public QFrame {
public:
    explicit BevelPanel(QWidget* parent) : QFrame(parent) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        qDrawShadePanel(&painter, rect(), palette(), true, 1);
        qDrawShadePanel(&painter, rect().adjusted(1, 1, -1, -1), palette(), false, 1);
    }
};

QFont LabelFont(int pixelHeight) {
    QFont font("MS Sans Serif");
    font.setPixelSize(pixelHeight);
    font.setBold(true);
    return font;
}

QLabel* NavyLabel(QWidget* parent, const char* name, const char* text, int pixelHeight) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setObjectName(name);
    label->setFont(LabelFont(pixelHeight));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, kNavy);
    label->setPalette(palette);
    return label;
}

// The picture of the box when the application has no icon of its own: a
// three-core cable in section.
QPixmap CablePicture() {
    QPixmap picture(64, 64);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(40, 40, 40), 2));
    painter.setBrush(QColor(90, 90, 90));
    painter.drawEllipse(QPointF(32, 32), 30, 30);
    painter.setBrush(QColor(200, 200, 200));
    painter.drawEllipse(QPointF(32, 32), 25, 25);
    const QColor insulation[] = {QColor(120, 70, 30), QColor(20, 20, 20), QColor(150, 150, 150)};
    const QPointF centres[] = {{32, 19}, {20.5, 39}, {43.5, 39}};
    for (int core = 0; core < 3; ++core) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(insulation[core]);
        painter.drawEllipse(centres[core], 11, 11);
        painter.setBrush(QColor(184, 115, 51));
        painter.drawEllipse(centres[core], 6.5, 6.5);
    }
    return picture;
}

}  // namespace

TAboutBox::TAboutBox(const Context& context) : QDialog(nullptr, kDialogFrame), context_(context) {
    setObjectName("AboutBox");
    setWindowTitle("О программе");
    setFixedSize(410, 197);

    Panel1 = new BevelPanel(this);
    Panel1->setObjectName("Panel1");
    Panel1->setGeometry(8, 8, 394, 148);

    ProgramIcon = new QLabel(Panel1);
    ProgramIcon->setObjectName("ProgramIcon");
    ProgramIcon->setGeometry(8, 8, 65, 57);
    ProgramIcon->setScaledContents(true);
    const QIcon icon = QApplication::windowIcon();
    ProgramIcon->setPixmap(icon.isNull() ? CablePicture() : icon.pixmap(64, 64));

    Label3 = NavyLabel(Panel1, "Label3", kProgramTitle, 16);
    Label3->setGeometry(88, 8, 298, 20);
    ProductName = NavyLabel(Panel1, "ProductName", " Расчет сечений проводов и кабелей.", 13);
    ProductName->setGeometry(88, 31, 298, 18);
    Copyright = NavyLabel(Panel1, "Copyright", "© Разработчики Kalvenor", 13);
    Copyright->setGeometry(88, 51, 298, 18);
    Label4 = NavyLabel(Panel1, "Label4", "Все права защищены.", 13);
    Label4->setGeometry(88, 69, 298, 18);
    Comments = NavyLabel(Panel1, "Comments", "Контакты", 13);
    Comments->setGeometry(88, 90, 298, 18);
    Label2 = NavyLabel(Panel1, "Label2", "E-mail", 13);
    Label2->setGeometry(88, 108, 56, 18);

    Label1 = new QLabel(QString::fromUtf8(kContactAddress), Panel1);
    Label1->setObjectName("Label1");
    QFont linkFont = LabelFont(13);
    linkFont.setUnderline(true);
    Label1->setFont(linkFont);
    Label1->setCursor(Qt::PointingHandCursor);
    Label1->setMouseTracking(true);
    Label1->move(148, 108);
    Label1->adjustSize();
    Label1->installEventFilter(this);
    SetLinkColour(kLinkGreen);

    TablesFolder = new QLabel(Panel1);
    TablesFolder->setObjectName("TablesFolder");
    TablesFolder->setGeometry(8, 129, 378, 15);

    OKButton = new QPushButton("OK", this);
    OKButton->setObjectName("OKButton");
    OKButton->setGeometry(167, 164, 75, 25);
    OKButton->setDefault(true);
    ConnectGuarded(context_.messages, OKButton, &QPushButton::clicked, this,
                   &TAboutBox::OKButtonClick);
}

void TAboutBox::SetTablesFolder(const std::filesystem::path& folder) {
    const QString path = QString::fromStdString(folder.string());
    const QString text = "Таблицы: " + path;
    // A deep folder must not push the box wider; the whole path stays at hand
    // as the tip.
    TablesFolder->setText(
        TablesFolder->fontMetrics().elidedText(text, Qt::ElideMiddle, TablesFolder->width()));
    TablesFolder->setToolTip(path);
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Label1) {
        switch (event->type()) {
            case QEvent::MouseMove:
                RunGuarded(context_.messages, [this] { Label1MouseMove(); });
                break;
            case QEvent::Leave:
                RunGuarded(context_.messages, [this] { Label1MouseLeave(); });
                break;
            case QEvent::MouseButtonRelease: {
                const auto* mouse = static_cast<QMouseEvent*>(event);
                if (mouse->button() == Qt::LeftButton &&
                    Label1->rect().contains(mouse->position().toPoint())) {
                    RunGuarded(context_.messages, [this] { Label1Click(); });
                }
                break;
            }
            default:
                break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TAboutBox::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CentreOnScreen(this);
}

void TAboutBox::Label1MouseMove() {
    SetLinkColour(kLinkRed);
}

void TAboutBox::Label1MouseLeave() {
    SetLinkColour(kLinkGreen);
}

void TAboutBox::Label1Click() {
    SetLinkColour(kLinkRed);
    // Without a mail program nothing happens, as with any link on the desktop.
    context_.launcher.OpenUrl(std::string("mailto:") + kContactAddress);
}

void TAboutBox::OKButtonClick() {
    SetLinkColour(kLinkGreen);
    accept();
}

void TAboutBox::SetLinkColour(const QColor& colour) {
    QPalette palette = Label1->palette();
    palette.setColor(QPalette::WindowText, colour);
    Label1->setPalette(palette);
}
