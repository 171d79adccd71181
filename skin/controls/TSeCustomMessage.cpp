#include "skin/controls/TSeCustomMessage.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QStyle>
#include <QUrl>

#include "skin/controls/TSeSkinButton.h"
#include "skin/controls/TSeSkinCheckBox.h"
#include "skin/controls/TSeSkinEdit.h"
#include "skin/controls/TSeSkinLabel.h"
#include "skin/controls/VisualThemes.h"

namespace skin {
namespace {

struct ButtonRow {
    TMsgDlgBtn bit;
    const char* name;
    const char* caption;
    TBitBtnKind kind;
    int result; // mrNone for Help, which does not close the box
};

constexpr ButtonRow kButtons[] = {
    {mbYes, "Yes", "&Yes", TBitBtnKind::bkYes, mrYes},
    {mbNo, "No", "&No", TBitBtnKind::bkNo, mrNo},
    {mbOK, "OK", "OK", TBitBtnKind::bkOK, mrOk},
    {mbCancel, "Cancel", "Cancel", TBitBtnKind::bkCancel, mrCancel},
    {mbAbort, "Abort", "&Abort", TBitBtnKind::bkAbort, mrAbort},
    {mbRetry, "Retry", "&Retry", TBitBtnKind::bkRetry, mrRetry},
    {mbIgnore, "Ignore", "&Ignore", TBitBtnKind::bkIgnore, mrIgnore},
    {mbAll, "All", "&All", TBitBtnKind::bkAll, mrAll},
    {mbNoToAll, "NoToAll", "N&o to All", TBitBtnKind::bkNo, mrNoToAll},
    {mbYesToAll, "YesToAll", "Yes to &All", TBitBtnKind::bkYes, mrYesToAll},
    {mbHelp, "Help", "&Help", TBitBtnKind::bkHelp, mrNone},
};

TMsgDlgBtn defaultButton(TMsgDlgButtons buttons) {
    for (TMsgDlgBtn b : {mbOK, mbYes, mbRetry})
        if (buttons & b)
            return b;
    return TMsgDlgBtn(0);
}

TMsgDlgBtn cancelButton(TMsgDlgButtons buttons) {
    for (TMsgDlgBtn b : {mbCancel, mbNo, mbOK})
        if (buttons & b)
            return b;
    return TMsgDlgBtn(0);
}

QStyle::StandardPixmap iconFor(TMsgDlgType type) {
    switch (type) {
    case TMsgDlgType::mtWarning:
        return QStyle::SP_MessageBoxWarning;
    case TMsgDlgType::mtError:
        return QStyle::SP_MessageBoxCritical;
    case TMsgDlgType::mtInformation:
        return QStyle::SP_MessageBoxInformation;
    case TMsgDlgType::mtConfirmation:
        return QStyle::SP_MessageBoxQuestion;
    case TMsgDlgType::mtCustom:
        break;
    }
    return QStyle::SP_CustomBase;
}

// The box window. A box without a cancel button still closes by Escape and by its frame,
// answering Cancel, so that no box can be left open with no way out.
class BoxWindow : public QDialog {
public:
    explicit BoxWindow(QWidget* owner) : QDialog(owner) { setModal(true); }
    void reject() override { done(mrCancel); }

    // Centred with its frame, whose size the desktop tells only once the window is shown.
    void centreOn(const QRect& area) {
        centreArea_ = area;
        centre();
    }

protected:
    void showEvent(QShowEvent* event) override {
        QDialog::showEvent(event);
        if (centreArea_.isValid())
            centre();
    }
    // Enter and Escape have gone to the marked buttons when there are any; an Escape that
    // reaches the box itself closes it as its frame would.
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Escape) {
            done(mrCancel);
            return;
        }
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
            return;
        QDialog::keyPressEvent(event);
    }

private:
    void centre() {
        const QSize outer = frameGeometry().size();
        move(centreArea_.left() + (centreArea_.width() - outer.width()) / 2,
             centreArea_.top() + (centreArea_.height() - outer.height()) / 2);
    }
    QRect centreArea_;
};

struct Units {
    int x, y;
};

// The average character width and the height of a font, as the boxes measure them.
Units measure(const QFont& font) {
    const QFontMetrics fm(font);
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    return {fm.horizontalAdvance(letters) / 52, fm.height()};
}

QScreen* screenFor(const QWidget* owner) {
    QScreen* screen = owner ? owner->screen() : nullptr;
    return screen ? screen : QGuiApplication::primaryScreen();
}

TSeCustomMessage* g_global = nullptr;
bool g_globalMadeOnDemand = false;

} // namespace

QString messageCaption(TMsgDlgType type) {
    switch (type) {
    case TMsgDlgType::mtWarning:
        return QStringLiteral("Warning");
    case TMsgDlgType::mtError:
        return QStringLiteral("Error");
    case TMsgDlgType::mtInformation:
        return QStringLiteral("Information");
    case TMsgDlgType::mtConfirmation:
        return QStringLiteral("Confirm");
    case TMsgDlgType::mtCustom:
        break;
    }
    return applicationTitle();
}

QString applicationTitle() {
    const QCoreApplication* app = QCoreApplication::instance();
    return app ? app->property(kApplicationTitleProperty).toString() : QString();
}

int mulDiv(int a, int b, int c) {
    if (c == 0)
        return -1;
    const long long product = static_cast<long long>(a) * b;
    const long long half = (c > 0 ? c : -c) / 2;
    const bool negative = (product < 0) != (c < 0);
    const long long magnitude = ((product < 0 ? -product : product) + half) / (c > 0 ? c : -c);
    return int(negative ? -magnitude : magnitude);
}

TSeCustomMessage::TSeCustomMessage(QObject* owner)
    : QObject(owner), borderIcons_(TSeBorderIcons(TSeBorderIcon::kbiClose) |
                                   TSeBorderIcons(TSeBorderIcon::kbiSystemMenu)) {
    if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
        buttonFont_ = QApplication::font();
        messageFont_ = QApplication::font();
    }
}

TSeCustomMessage::~TSeCustomMessage() {
    if (g_global == this) {
        g_global = nullptr;
        g_globalMadeOnDemand = false;
    }
}

void TSeCustomMessage::setButtonFont(const QFont& font) {
    buttonFont_ = font;
}

bool TSeCustomMessage::Global() const {
    return g_global == this;
}

void TSeCustomMessage::setGlobal(bool on) {
    if (!on) {
        if (g_global == this)
            g_global = nullptr;
        return;
    }
    if (g_global == this)
        return;
    // Only the component made on first use is ours to free; one that belongs to a window
    // stays with its window and merely stops serving.
    if (g_global && g_globalMadeOnDemand)
        delete g_global;
    g_global = this;
    g_globalMadeOnDemand = false;
}

TSeCustomMessage& TSeCustomMessage::global() {
    if (!g_global) {
        auto* made = new TSeCustomMessage(QCoreApplication::instance());
        made->setObjectName(QStringLiteral("GlobalMessage"));
        g_global = made;
        g_globalMadeOnDemand = true;
    }
    return *g_global;
}

QWidget* TSeCustomMessage::ownerWindow() const {
    if (auto* widget = qobject_cast<QWidget*>(parent()))
        return widget->window();
    return nullptr;
}

TSeCustomButton* TSeCustomMessage::CreateButton(QWidget* owner) {
    return new TSeCustomButton(owner);
}

TSeCustomEdit* TSeCustomMessage::CreateEdit(QWidget* owner) {
    return new TSeCustomEdit(owner);
}

TSeMessageFrame* TSeCustomMessage::CreateForm(QWidget* owner) {
    return new TSeMessageFrame(owner);
}

TSeCustomLabel* TSeCustomMessage::CreateLabel(QWidget* owner) {
    return new TSeCustomLabel(owner);
}

TSeCustomCheckBox* TSeCustomMessage::CreateCheckBox(QWidget* owner) {
    return new TSeCustomCheckBox(owner);
}

int TSeCustomMessage::buttonWidthFor(int row, const QString& caption, const QFontMetrics& fm) {
    // Kept between boxes, and measured again when the button font changes.
    const QString key = buttonFont_.key();
    if (key != measuredFor_) {
        measuredFor_ = key;
        captionWidths_.clear();
    }
    auto it = captionWidths_.find(row);
    if (it == captionWidths_.end())
        it = captionWidths_.insert(
            row, fm.size(Qt::TextSingleLine | Qt::TextShowMnemonic, caption).width() + 8);
    return *it;
}

void TSeCustomMessage::attachFrame(TSeMessageFrame& frame) const {
    frame.setBlending(blending_);
    frame.setDragging(dragging_);
    frame.setShadow(shadow_);
    frame.setAnimation(animation_);
    frame.setBorderIcons(borderIcons_);
    frame.setActive(true);
}

void TSeCustomMessage::placeBox(QDialog& box, int x, int y) const {
    QWidget* owner = ownerWindow();
    const QRect screen = screenFor(owner)->geometry();
    auto centreOn = [&](const QRect& area) {
        if (auto* window = dynamic_cast<BoxWindow*>(&box))
            window->centreOn(area);
        else
            box.move(area.left() + (area.width() - box.width()) / 2,
                     area.top() + (area.height() - box.height()) / 2);
    };
    if (x < 0 && y < 0) {
        switch (position_) {
        case TPosition::poScreenCenter:
        case TPosition::poDesktopCenter:
            centreOn(screen);
            break;
        case TPosition::poMainFormCenter:
        case TPosition::poOwnerFormCenter:
            centreOn(owner && owner->isVisible() ? owner->frameGeometry() : screen);
            break;
        default:
            // Where the desktop puts new windows.
            break;
        }
        return;
    }
    QPoint at = box.pos();
    if (x >= 0)
        at.setX(x);
    if (y >= 0)
        at.setY(y);
    box.move(at);
}

std::unique_ptr<QDialog> TSeCustomMessage::CreateMessageBox(const QString& text, TMsgDlgType type,
                                                            TMsgDlgButtons buttons) {
    auto box = std::make_unique<BoxWindow>(ownerWindow());
    box->setObjectName(QStringLiteral("MessageDlg"));
    box->setWindowTitle(messageCaption(type));
    TSeMessageFrame* frame = CreateForm(box.get());
    attachFrame(*frame);
    QWidget* client = frame->client();

    const Units u = measure(buttonFont_);
    const int hMargin = mulDiv(30, u.x, 4), vMargin = mulDiv(15, u.y, 8);
    const int hSpacing = mulDiv(10, u.x, 4), vSpacing = mulDiv(10, u.y, 8);
    const int buttonSpacing = mulDiv(4, u.x, 4);
    const int buttonHeight = mulDiv(visualThemesActive() ? 17 : 14, u.y, 8);

    const QFontMetrics buttonMetrics(buttonFont_);
    int buttonWidth = mulDiv(50, u.x, 4);
    int count = 0;
    for (int row = 0; row < int(std::size(kButtons)); ++row) {
        if (!(buttons & kButtons[row].bit))
            continue;
        ++count;
        buttonWidth =
            std::max(buttonWidth, buttonWidthFor(row, QString::fromLatin1(kButtons[row].caption),
                                                 buttonMetrics));
    }

    const int screenWidth = screenFor(ownerWindow())->geometry().width();
    const QRect textRect =
        text.isEmpty()
            ? QRect()
            : QFontMetrics(messageFont_)
                  .boundingRect(QRect(0, 0, screenWidth / 2, 0),
                                Qt::AlignLeft | Qt::TextWordWrap | Qt::TextExpandTabs, text);
    const bool withIcon = showIconImage_ && type != TMsgDlgType::mtCustom;
    int iconTextWidth = textRect.width();
    int iconTextHeight = textRect.height();
    if (withIcon) {
        iconTextWidth += hSpacing + 32;
        iconTextHeight = std::max(iconTextHeight, 32);
    }
    const int groupWidth = count > 0 ? count * buttonWidth + (count - 1) * buttonSpacing : 0;
    const int clientWidth = std::max(iconTextWidth, groupWidth) + 2 * hMargin;
    const int clientHeight = iconTextHeight + buttonHeight + vSpacing + 2 * vMargin;
    frame->setClientSize(QSize(clientWidth, clientHeight));

    if (withIcon) {
        auto* image = new QLabel(client);
        image->setObjectName(QStringLiteral("Image"));
        image->setGeometry(hMargin, vMargin, 32, 32);
        image->setAttribute(Qt::WA_TranslucentBackground);
        image->setPixmap(box->style()->standardIcon(iconFor(type)).pixmap(32, 32));
    }

    TSeCustomLabel* message = CreateLabel(client);
    message->setObjectName(QStringLiteral("Message"));
    message->setWordWrap(true);
    message->setTransparent(true);
    message->setFont(messageFont_);
    message->setLayoutDirection(box->layoutDirection());
    message->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    message->setText(text);
    int labelLeft = iconTextWidth + hMargin - textRect.width();
    if (box->layoutDirection() == Qt::RightToLeft)
        labelLeft = clientWidth - labelLeft - textRect.width();
    message->setGeometry(labelLeft, vMargin, textRect.width(), textRect.height());

    const TMsgDlgBtn def = defaultButton(buttons);
    const TMsgDlgBtn cancel = cancelButton(buttons);
    int left = (clientWidth - groupWidth) / 2;
    const int top = iconTextHeight + vMargin + vSpacing;
    TSeCustomButton* focus = nullptr;
    QDialog* boxWindow = box.get();
    for (const ButtonRow& row : kButtons) {
        if (!(buttons & row.bit))
            continue;
        TSeCustomButton* button = CreateButton(client);
        button->setObjectName(QString::fromLatin1(row.name));
        button->setKind(row.kind);
        button->setText(QString::fromLatin1(row.caption));
        button->setModalResult(row.result);
        button->setFont(buttonFont_);
        button->setShowHint(showHints_);
        button->setHint(QString());
        button->setShowGlyph(showButtonGlyph_);
        // Only the chosen buttons carry the marks, whatever their kinds made them.
        button->setDefault(row.bit == def);
        button->setCancel(row.bit == cancel);
        button->setGeometry(left, top, buttonWidth, buttonHeight);
        if (row.bit == mbHelp)
            QObject::connect(button, &QAbstractButton::clicked, boxWindow, [this, boxWindow] {
                const int context = boxWindow->property("helpContext").toInt();
                const QString file = boxWindow->property("helpFile").toString();
                if (OnHelp)
                    OnHelp(context, file);
                else if (!file.isEmpty() && QFileInfo(file).isFile())
                    QDesktopServices::openUrl(QUrl::fromLocalFile(file));
            });
        if (row.bit == def)
            focus = button;
        left += buttonWidth + buttonSpacing;
    }
    if (focus)
        focus->setFocus();
    return box;
}

int TSeCustomMessage::MessagePos(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons,
                                 int helpContext, int x, int y, const QString& helpFile) {
    std::unique_ptr<QDialog> box = CreateMessageBox(text, type, buttons);
    box->setProperty("helpContext", helpContext);
    box->setProperty("helpFile", helpFile);
    placeBox(*box, x, y);
    QCoreApplication::processEvents();
    box->update();
    return box->exec();
}

int TSeCustomMessage::MessageDlg(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons,
                                 int helpContext) {
    return MessagePos(text, type, buttons, helpContext, -1, -1);
}

std::unique_ptr<QDialog> TSeCustomMessage::CreateInputBox(const QString& caption,
                                                          const QString& prompt,
                                                          const QString& value) {
    auto box = std::make_unique<BoxWindow>(ownerWindow());
    box->setObjectName(QStringLiteral("InputQuery"));
    box->setWindowTitle(caption);
    TSeMessageFrame* frame = CreateForm(box.get());
    attachFrame(*frame);
    QWidget* client = frame->client();

    const Units u = measure(box->font());
    frame->setClientSize(QSize(mulDiv(180, u.x, 4) + 30, mulDiv(63, u.y, 8) + 20));

    TSeCustomLabel* label = CreateLabel(client);
    label->setObjectName(QStringLiteral("Prompt"));
    label->setTransparent(true);
    label->setFont(messageFont_);
    label->setText(prompt);
    label->move(mulDiv(8, u.x, 4) + 15, mulDiv(8, u.y, 8) + 10);
    label->fitToText();

    TSeCustomEdit* edit = CreateEdit(client);
    edit->setObjectName(QStringLiteral("Edit"));
    edit->setFont(messageFont_);
    edit->setMaxLength(kMaxInputLength);
    edit->setText(value.left(kMaxInputLength));
    edit->setGeometry(label->x(), mulDiv(19, u.y, 8) + 10, mulDiv(164, u.x, 4),
                      edit->sizeHint().height());
    edit->setAnchorRight(true);
    edit->selectAll();

    const int buttonTop = mulDiv(41, u.y, 8) + 10;
    const int buttonWidth = mulDiv(50, u.x, 4), buttonHeight = mulDiv(14, u.y, 8);
    struct Made {
        const char* name;
        TBitBtnKind kind;
        int result;
        int left;
    };
    const Made made[] = {
        {"OK", TBitBtnKind::bkOK, mrOk, mulDiv(38, u.x, 4) + 15},
        {"Cancel", TBitBtnKind::bkCancel, mrCancel, mulDiv(92, u.x, 4) + 30},
    };
    for (const Made& m : made) {
        TSeCustomButton* button = CreateButton(client);
        button->setObjectName(QString::fromLatin1(m.name));
        button->setKind(m.kind);
        button->setText(QString::fromLatin1(m.name));
        button->setModalResult(m.result);
        button->setFont(buttonFont_);
        button->setShowGlyph(showButtonGlyph_);
        button->setDefault(m.kind == TBitBtnKind::bkOK);
        button->setCancel(m.kind == TBitBtnKind::bkCancel);
        button->setGeometry(m.left, buttonTop, buttonWidth, buttonHeight);
    }
    edit->setFocus();
    return box;
}

bool TSeCustomMessage::InputQuery(const QString& caption, const QString& prompt, QString& value) {
    std::unique_ptr<QDialog> box = CreateInputBox(caption, prompt, value);
    placeBox(*box, -1, -1);
    QCoreApplication::processEvents();
    box->update();
    if (box->exec() != mrOk)
        return false;
    value = box->findChild<TSeCustomEdit*>(QStringLiteral("Edit"))->text();
    return true;
}

} // namespace skin
