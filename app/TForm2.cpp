#include "app/TForm2.h"

#include "skin/controls/TSeSkinButton.h"

#include <QDesktopServices>
#include <QFontDatabase>
#include <QFrame>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>
#include <QVBoxLayout>

#include "skin/controls/TSeSkinForm.h"

namespace app {

TLinkLabel::TLinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setMouseTracking(true);
}

void TLinkLabel::mouseMoveEvent(QMouseEvent* event) {
    if (OnMouseMove) {
        const QPoint p = event->position().toPoint();
        OnMouseMove(this, event->modifiers(), p.x(), p.y());
    }
    QLabel::mouseMoveEvent(event);
}

void TLinkLabel::enterEvent(QEnterEvent* event) {
    if (OnMouseMove) {
        const QPoint p = event->position().toPoint();
        OnMouseMove(this, event->modifiers(), p.x(), p.y());
    }
    QLabel::enterEvent(event);
}

void TLinkLabel::leaveEvent(QEvent* event) {
    if (OnMouseLeave)
        OnMouseLeave(this);
    QLabel::leaveEvent(event);
}

void TLinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) &&
        OnClick)
        OnClick(this);
    QLabel::mouseReleaseEvent(event);
}

namespace {

void setTextColor(QWidget* w, const QColor& color) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::WindowText, color);
    w->setPalette(pal);
}

QLabel* makeLabel(QWidget* parent, const QString& text, QPoint at, const QFont& font,
                  const QString& name) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setFont(font);
    label->setAttribute(Qt::WA_TranslucentBackground);
    label->move(at);
    label->adjustSize();
    return label;
}

// The program's icon: a red "F" on a rounded square, like the player's own glyph.
QPixmap programIcon() {
    QPixmap icon(31, 33);
    icon.fill(Qt::transparent);
    QPainter p(&icon);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(0xC0, 0x10, 0x10));
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(1, 2, 29, 29), 6, 6);
    QFont f;
    f.setPixelSize(24);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(1, 2, 29, 29), Qt::AlignCenter, QStringLiteral("F"));
    return icon;
}

} // namespace

QString TForm2::songTiFamily() {
    const QStringList families = QFontDatabase::families();
    for (const QString& wanted :
         {QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("NSimSun")})
        if (families.contains(wanted, Qt::CaseInsensitive))
            return wanted;
    // Any installed font that writes Simplified Chinese, preferring the usual ones.
    for (const QString& wanted :
         {QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC"),
          QStringLiteral("Noto Serif CJK SC"), QStringLiteral("AR PL UMing CN"),
          QStringLiteral("Droid Sans Fallback")})
        if (families.contains(wanted, Qt::CaseInsensitive))
            return wanted;
    const QStringList chinese = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
    return chinese.isEmpty() ? QString() : chinese.first();
}

QFont TForm2::songTi(int pixelSize, bool bold) {
    QFont font;
    const QString family = songTiFamily();
    if (!family.isEmpty())
        font.setFamilies({family});
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

TForm2::TForm2(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("关于Quarvel...."));
    setWindowFlags(Qt::Dialog);
    SeSkinForm1 = new skin::TSeSkinForm(this);
    SeSkinForm1->setObjectName(QStringLiteral("SeSkinForm1"));
    SeSkinForm1->setBorderIcons(skin::TSeBorderIcons(skin::TSeBorderIcon::kbiClose) |
                                skin::TSeBorderIcons(skin::TSeBorderIcon::kbiSystemMenu));
    SeSkinForm1->Dragging.Sizeable = false;

    auto* outer = new QFrame(this);
    outer->setObjectName(QStringLiteral("Panel1"));
    outer->setFrameStyle(QFrame::Box | QFrame::Raised);
    outer->setLineWidth(1);
    outer->setMidLineWidth(1);
    outer->setFixedSize(kClientWidth, kClientHeight);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSizeConstraint(QLayout::SetNoConstraint);
    layout->addWidget(outer);
    auto* inner = new QFrame(outer);
    inner->setObjectName(QStringLiteral("Panel2"));
    inner->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    inner->setLineWidth(1);
    inner->setGeometry(outer->rect().adjusted(4, 4, -4, -4));

    const QString title = QStringLiteral("Quarvel娱乐系列之FLASH播放器");
    Label1 = makeLabel(inner, title, {51, 12}, songTi(16, true), QStringLiteral("Label1"));
    setTextColor(Label1, Qt::black);
    Label2 = makeLabel(inner, title, {50, 12}, songTi(16, true), QStringLiteral("Label2"));
    setTextColor(Label2, QColor(0x00, 0x80, 0x80));
    Label3 = makeLabel(inner, QStringLiteral("程序设计：Quarvel"), {118, 42}, songTi(13),
                       QStringLiteral("Label3"));
    Image1 = new QLabel(inner);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(48, 48, 31, 33);
    Image1->setScaledContents(true);
    Image1->setAttribute(Qt::WA_TranslucentBackground);
    Image1->setPixmap(programIcon());
    Label9 = makeLabel(inner, QStringLiteral("       QQ："), {69, 69}, songTi(13),
                       QStringLiteral("Label9"));
    Label8 = new TLinkLabel(QStringLiteral("12345678"), inner);
    Label8->setObjectName(QStringLiteral("Label8"));
    Label8->setFont(songTi(13));
    Label8->move(163, 69);
    Label8->adjustSize();
    Label8->setCursor(Qt::PointingHandCursor);
    Label8->setToolTip(QStringLiteral("作者QQ"));
    setTextColor(Label8, Qt::red);
    Label4 = makeLabel(inner, QStringLiteral("欢迎大家找虫虫      ^_^"), {112, 112}, songTi(13),
                       QStringLiteral("Label4"));
    SeSkinButton1 = new skin::TSeSkinButton(inner);
    SeSkinButton1->setText(QStringLiteral("确定"));
    SeSkinButton1->setObjectName(QStringLiteral("SeSkinButton1"));
    SeSkinButton1->setGeometry(126, 159, 88, 28);
    SeSkinButton1->setDefault(true);

    Label8->OnMouseMove = [this](QObject* sender, auto...) { Label5MouseMove(sender); };
    Label8->OnMouseLeave = [this](QObject* sender) { Label5MouseLeave(sender); };
    Label8->OnClick = [this](QObject* sender) { Label8Click(sender); };
    connect(SeSkinButton1, &QAbstractButton::clicked, this,
            [this] { SeSkinButton1Click(SeSkinButton1); });
    openUrl = [](const QString& url) { QDesktopServices::openUrl(QUrl(url)); };
    SeSkinForm1->loaded();
    fitClient();
}

void TForm2::setSkinEngine(skin::TSeSkinEngine* engine) {
    SeSkinForm1->setSkinEngine(engine);
    fitClient();
}

void TForm2::fitClient() {
    const QSize frame = size() - SeSkinForm1->clientRect().size();
    setFixedSize(QSize(kClientWidth, kClientHeight) + frame);
}

void TForm2::Label5MouseMove(QObject* sender) {
    if (auto* label = qobject_cast<QLabel*>(sender))
        setTextColor(label, Qt::blue);
}

void TForm2::Label5MouseLeave(QObject* sender) {
    if (auto* label = qobject_cast<QLabel*>(sender))
        setTextColor(label, Qt::red);
}

void TForm2::Label8Click(QObject*) {
    // The result is not looked at: without a browser nothing happens.
    if (openUrl)
        openUrl(contactPage());
}

void TForm2::SeSkinButton1Click(QObject*) {
    accept();
}

int TForm2::exec() {
    fitClient();
    if (QWidget* owner = parentWidget()) {
        const QPoint centre = owner->frameGeometry().center();
        move(centre - QPoint(width() / 2, height() / 2));
    }
    return QDialog::exec();
}

} // namespace app
