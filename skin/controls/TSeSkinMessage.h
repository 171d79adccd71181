#pragma once

// The message component: every notice, question and text request of the player goes through
// MessageDlg and InputQuery, shown as modal boxes over the owner window.

#include <QObject>
#include <QString>
#include <cstdint>

class QWidget;

namespace skin {

enum class TMsgDlgType {
    mtWarning = 0,
    mtError = 1,
    mtInformation = 2,
    mtConfirmation = 3,
    mtCustom = 4
};

enum TMsgDlgBtn : uint16_t {
    mbYes = 1 << 0,
    mbNo = 1 << 1,
    mbOK = 1 << 2,
    mbCancel = 1 << 3,
    mbAbort = 1 << 4,
    mbRetry = 1 << 5,
    mbIgnore = 1 << 6,
    mbAll = 1 << 7,
    mbNoToAll = 1 << 8,
    mbYesToAll = 1 << 9,
    mbHelp = 1 << 10,
};
using TMsgDlgButtons = uint16_t;

enum ModalResult : int {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7,
    mrAll = 8,
    mrNoToAll = 9,
    mrYesToAll = 10,
};

class TSeSkinMessage : public QObject {
    Q_OBJECT
public:
    explicit TSeSkinMessage(QWidget* owner = nullptr);

    // Shows a modal box with the type's caption and icon, the text and the requested buttons
    // in their fixed order; returns the modal result of the button that closed it (2 when
    // the box was closed without a button).
    int MessageDlg(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext);
    // Asks for one line of at most 255 characters, preset with value. True when OK closed the
    // box, and value then holds the edited text; otherwise value is left as it was.
    bool InputQuery(const QString& caption, const QString& prompt, QString& value);

    static constexpr int kMaxInputLength = 255;

private:
    QWidget* owner_;
};

// The box captions of the message types.
QString messageCaption(TMsgDlgType type);

// The application's title lives in a property of the application object (the platform's own
// display name would be appended to every window title).
inline constexpr char kApplicationTitleProperty[] = "quarvelTitle";
QString applicationTitle();

} // namespace skin
