#pragma once

// The about window: the program's name with a shadow, its author, a link to the author's
// contact page and "确定". It is made once and shown modally as often as asked.

#include <QDialog>
#include <QLabel>
#include <functional>

#include "skin/controls/TSeSkinButton.h"

class QFrame;

namespace skin {
class TSeSkinEngine;
class TSeSkinForm;
} // namespace skin

namespace app {

// A label that reports the pointer entering, moving over and leaving it, and clicks.
class TLinkLabel : public QLabel {
    Q_OBJECT
public:
    using NotifyEvent = std::function<void(QObject* sender)>;
    using MouseMoveEvent =
        std::function<void(QObject* sender, Qt::KeyboardModifiers, int x, int y)>;
    explicit TLinkLabel(const QString& text, QWidget* parent = nullptr);

    MouseMoveEvent OnMouseMove;
    NotifyEvent OnMouseLeave;
    NotifyEvent OnClick;

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);

    QLabel* Label1 = nullptr; // shadow of the title
    QLabel* Label2 = nullptr; // title
    QLabel* Label3 = nullptr; // author
    QLabel* Label4 = nullptr;
    QLabel* Label9 = nullptr;
    TLinkLabel* Label8 = nullptr; // contact number, a link
    QLabel* Image1 = nullptr;
    skin::TSeSkinButton* SeSkinButton1 = nullptr; // 确定
    skin::TSeSkinForm* SeSkinForm1 = nullptr;     // the skinned frame

    // The frame draws with the main window's skin; the window grows by the frame so that the
    // client area stays 358 x 204.
    void setSkinEngine(skin::TSeSkinEngine* engine);

    void Label5MouseMove(QObject* sender);
    void Label5MouseLeave(QObject* sender);
    void Label8Click(QObject* sender);
    void SeSkinButton1Click(QObject* sender);

    // Opens a page in the desktop's browser; tests put in their own.
    std::function<void(const QString& url)> openUrl;
    static QString contactPage() { return QStringLiteral("https://quarvel.example/contact"); }

    // 宋体 where it is installed, else a font that has the Chinese characters.
    static QFont songTi(int pixelSize, bool bold = false);
    static QString songTiFamily();

    // Centred on the owner window each time it is shown.
    int exec() override;

    static constexpr int kClientWidth = 358;
    static constexpr int kClientHeight = 204;

private:
    void fitClient();
};

} // namespace app
