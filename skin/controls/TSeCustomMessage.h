#pragma once

// The message component: every notice, question and text request of the player goes through
// MessageDlg and InputQuery, shown as modal boxes laid out in the component's fonts and
// measuring units. TSeCustomMessage builds them from the desktop's own controls in the
// desktop's frame; TSeSkinMessage (its subclass) builds them from skinned controls.

#include <QFont>
#include <QHash>
#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

#include "skin/controls/ButtonGlyphs.h"
#include "skin/controls/TSeMessageFrame.h"
#include "skin/controls/VisualThemes.h"

#include <QDialog>
class QWidget;

namespace skin {

class TSeCustomButton;
class TSeCustomCheckBox;
class TSeCustomEdit;
class TSeCustomLabel;

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

enum class TPosition {
    poDesigned,
    poDefault,
    poDefaultPosOnly,
    poDefaultSizeOnly,
    poScreenCenter,
    poDesktopCenter,
    poMainFormCenter,
    poOwnerFormCenter
};

// The box captions of the message types.
QString messageCaption(TMsgDlgType type);

// The application's title lives in a property of the application object (the platform's own
// display name would be appended to every window title).
inline constexpr char kApplicationTitleProperty[] = "quarvelTitle";
QString applicationTitle();

// Windows' MulDiv: a * b / c in 64 bits, rounded half away from zero; -1 when c is 0.
int mulDiv(int a, int b, int c);

class TSeCustomMessage : public QObject {
    Q_OBJECT
public:
    explicit TSeCustomMessage(QObject* owner = nullptr);
    ~TSeCustomMessage() override;

    TSeAnimation Animation() const { return animation_; }
    void setAnimation(const TSeAnimation& a) { animation_ = a; }
    TSeBlending Blending() const { return blending_; }
    void setBlending(const TSeBlending& b) { blending_ = b; }
    TSeBorderIcons BorderIcons() const { return borderIcons_; }
    void setBorderIcons(TSeBorderIcons icons) { borderIcons_ = icons; }
    QFont ButtonFont() const { return buttonFont_; }
    void setButtonFont(const QFont& font);
    TSeDragging Dragging() const { return dragging_; }
    void setDragging(const TSeDragging& d) { dragging_ = d; }
    // Set, this component serves calls made without one (replacing and freeing an earlier
    // global component).
    bool Global() const;
    void setGlobal(bool on);
    QFont MessageFont() const { return messageFont_; }
    void setMessageFont(const QFont& font) { messageFont_ = font; }
    TPosition Position() const { return position_; }
    void setPosition(TPosition p) { position_ = p; }
    TSeShadow Shadow() const { return shadow_; }
    void setShadow(const TSeShadow& s) { shadow_ = s; }
    bool ShowButtonGlyph() const { return showButtonGlyph_; }
    void setShowButtonGlyph(bool on) { showButtonGlyph_ = on; }
    bool ShowIconImage() const { return showIconImage_; }
    void setShowIconImage(bool on) { showIconImage_ = on; }
    bool ShowHints() const { return showHints_; }
    void setShowHints(bool on) { showHints_ = on; }

    // The box with the type's caption and icon, the text and the requested buttons in their
    // fixed order; returns the modal result of the button that closed it, 2 when the box was
    // closed by its frame (or by Escape with no cancel button).
    int MessageDlg(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext);
    // As MessageDlg, at (x, y) where those are not negative; both negative: at Position.
    int MessagePos(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext,
                   int x, int y, const QString& helpFile = {});
    // Asks for one line of at most 255 characters, preset with value. True when OK closed the
    // box, and value then holds the edited text; otherwise value is left as it was.
    bool InputQuery(const QString& caption, const QString& prompt, QString& value);

    static constexpr int kMaxInputLength = 255;

    // The component serving calls made without one: the one marked Global, else one made on
    // first use and owned by the application.
    static TSeCustomMessage& global();

    // Factory of the box's parts; the skinned component makes skinned ones.
    virtual TSeCustomButton* CreateButton(QWidget* owner);
    virtual TSeCustomEdit* CreateEdit(QWidget* owner);
    virtual TSeMessageFrame* CreateForm(QWidget* owner);
    virtual TSeCustomLabel* CreateLabel(QWidget* owner);
    virtual TSeCustomCheckBox* CreateCheckBox(QWidget* owner);

    // What the help button does for a box's help context and help file; by default opens the
    // help file when there is one. Nothing happens without a help file.
    std::function<void(int helpContext, const QString& helpFile)> OnHelp;

    // Built but not shown: for callers that show the box themselves (and for checking its
    // layout). The box is modal, owned by the caller.
    std::unique_ptr<QDialog> CreateMessageBox(const QString& text, TMsgDlgType type,
                                              TMsgDlgButtons buttons);
    std::unique_ptr<QDialog> CreateInputBox(const QString& caption, const QString& prompt,
                                            const QString& value);

protected:
    // The window the boxes are centred on and stay above, when the component has one.
    QWidget* ownerWindow() const;

private:
    int buttonWidthFor(int row, const QString& caption, const QFontMetrics& fm);
    void placeBox(QDialog& box, int x, int y) const;
    void attachFrame(TSeMessageFrame& frame) const;

    TSeAnimation animation_;
    TSeBlending blending_{false, 150};
    TSeBorderIcons borderIcons_;
    QFont buttonFont_;
    TSeDragging dragging_;
    QFont messageFont_;
    TPosition position_{TPosition::poScreenCenter};
    TSeShadow shadow_;
    bool showButtonGlyph_{true};
    bool showIconImage_{true};
    bool showHints_{false};
    // Caption widths of the button rows, measured once per button font.
    QString measuredFor_;
    QHash<int, int> captionWidths_;
};

} // namespace skin
