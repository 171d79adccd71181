#include "skin/controls/TSeSkinMessage.h"

#include <QApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace skin {
namespace {

struct ButtonRow {
    TMsgDlgBtn bit;
    const char* name;
    const char* caption;
    int result; // mrNone for Help, which does not close the box
};

constexpr ButtonRow kButtons[] = {
    {mbYes, "Yes", "&Yes", mrYes},
    {mbNo, "No", "&No", mrNo},
    {mbOK, "OK", "OK", mrOk},
    {mbCancel, "Cancel", "Cancel", mrCancel},
    {mbAbort, "Abort", "&Abort", mrAbort},
    {mbRetry, "Retry", "&Retry", mrRetry},
    {mbIgnore, "Ignore", "&Ignore", mrIgnore},
    {mbAll, "All", "&All", mrAll},
    {mbNoToAll, "NoToAll", "N&o to All", mrNoToAll},
    {mbYesToAll, "YesToAll", "Yes to &All", mrYesToAll},
    {mbHelp, "Help", "&Help", mrNone},
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

// A modal box whose Escape key (and its window's close button) answers with the cancel
// button's result, or does nothing when the box has no cancel button.
class MessageBox : public QDialog {
public:
    MessageBox(QWidget* owner, int escapeResult) : QDialog(owner), escapeResult_(escapeResult) {}
    void reject() override {
        if (escapeResult_ != mrNone)
            done(escapeResult_);
    }

private:
    int escapeResult_;
};

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

TSeSkinMessage::TSeSkinMessage(QWidget* owner) : QObject(owner), owner_(owner) {}

int TSeSkinMessage::MessageDlg(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons,
                               int /*helpContext*/) {
    const TMsgDlgBtn def = defaultButton(buttons);
    const TMsgDlgBtn cancel = cancelButton(buttons);
    int escapeResult = mrNone;
    for (const ButtonRow& row : kButtons)
        if (row.bit == cancel)
            escapeResult = row.result;

    MessageBox box(owner_, escapeResult);
    box.setWindowTitle(messageCaption(type));
    box.setObjectName(QStringLiteral("MessageDlg"));
    auto* layout = new QVBoxLayout(&box);
    auto* top = new QHBoxLayout;
    if (type != TMsgDlgType::mtCustom) {
        auto* icon = new QLabel(&box);
        icon->setObjectName(QStringLiteral("Image"));
        icon->setPixmap(box.style()->standardIcon(iconFor(type)).pixmap(32, 32));
        icon->setAlignment(Qt::AlignTop);
        top->addWidget(icon);
    }
    auto* message = new QLabel(text, &box);
    message->setObjectName(QStringLiteral("Message"));
    message->setWordWrap(true);
    message->setTextFormat(Qt::PlainText);
    top->addWidget(message, 1);
    layout->addLayout(top);
    auto* row = new QHBoxLayout;
    row->addStretch();
    QPushButton* focus = nullptr;
    for (const ButtonRow& b : kButtons) {
        if (!(buttons & b.bit))
            continue;
        auto* button = new QPushButton(QString::fromLatin1(b.caption), &box);
        button->setObjectName(QString::fromLatin1(b.name));
        button->setAutoDefault(false);
        if (b.bit == def) {
            button->setDefault(true);
            focus = button;
        }
        const int result = b.result;
        if (result != mrNone)
            QObject::connect(button, &QPushButton::clicked, &box,
                             [&box, result] { box.done(result); });
        row->addWidget(button);
    }
    row->addStretch();
    layout->addLayout(row);
    if (focus)
        focus->setFocus();
    const int result = box.exec();
    return result == QDialog::Rejected ? mrCancel : result;
}

bool TSeSkinMessage::InputQuery(const QString& caption, const QString& prompt, QString& value) {
    QDialog box(owner_);
    box.setObjectName(QStringLiteral("InputQuery"));
    box.setWindowTitle(caption);
    auto* layout = new QVBoxLayout(&box);
    auto* label = new QLabel(prompt, &box);
    label->setObjectName(QStringLiteral("Prompt"));
    layout->addWidget(label);
    auto* edit = new QLineEdit(&box);
    edit->setObjectName(QStringLiteral("Edit"));
    edit->setMaxLength(kMaxInputLength);
    edit->setText(value.left(kMaxInputLength));
    edit->selectAll();
    edit->setMinimumWidth(260);
    layout->addWidget(edit);
    auto* row = new QHBoxLayout;
    row->addStretch();
    auto* ok = new QPushButton(QStringLiteral("OK"), &box);
    ok->setObjectName(QStringLiteral("OK"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), &box);
    cancel->setObjectName(QStringLiteral("Cancel"));
    cancel->setAutoDefault(false);
    QObject::connect(ok, &QPushButton::clicked, &box, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, &box, &QDialog::reject);
    row->addWidget(ok);
    row->addWidget(cancel);
    layout->addLayout(row);
    edit->setFocus();
    if (box.exec() != QDialog::Accepted)
        return false;
    value = edit->text();
    return true;
}

} // namespace skin
