// The main window's network commands: Internet play and network download.

#include "app/NetworkCommands.h"
#include "app/PlaybackCommands.h"
#include "app/TForm1.h"
#include "net/TNetHTTP.h"
#include "net/TNetSSLConnectionIntercept.h"
#include "skin/controls/TSeSkinProgressBar.h"
#include "skin/controls/TSeSkinSpeedButton.h"
#include "skin/controls/TSeSkinTrackBar.h"

#include <QEvent>
#include <QLineEdit>

namespace app {
namespace {

// Keeps the progress bar lying exactly over the seek bar, wherever the layout puts that.
class CoverFilter : public QObject {
public:
    CoverFilter(QWidget* cover, QObject* parent) : QObject(parent), cover_(cover) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Resize)
            cover_->setGeometry(static_cast<QWidget*>(watched)->rect());
        return false;
    }

private:
    QWidget* cover_;
};

} // namespace

void TForm1::createNetwork() {
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setVisible(false);

    SeSkinProgressBar1 = new skin::TSeSkinProgressBar(SeSkinTrackBar4);
    SeSkinProgressBar1->setObjectName(QStringLiteral("SeSkinProgressBar1"));
    SeSkinProgressBar1->setSmooth(true);
    SeSkinProgressBar1->setGeometry(SeSkinTrackBar4->rect());
    SeSkinProgressBar1->setVisible(false);
    SeSkinTrackBar4->installEventFilter(new CoverFilter(SeSkinProgressBar1, SeSkinProgressBar1));

    netHttp_ = std::make_unique<net::TNetHTTP>();
    netHttp_->Request.Accept = "text/html, */*";
    netHttp_->Request.UserAgent = "Mozilla/3.0 (compatible; Quarvel Library)";
    // Downloads from https:// go through TLS, verified against the system's trust store.
    netHttp_->Intercept = std::make_shared<net::TNetSSLConnectionIntercept>();

    NetworkParts parts{*Edit1,    *SeSkinMessage1, *saveDialog_, *playlist_, *SeSkinProgressBar1,
                       *netHttp_, state_};
    parts.playRoutine = [this](const QString& text) { PlayMovie(text); };
    parts.startPlayWorker = [this](const QString& path) { OpenMovie(path); };
    parts.formResize = [this] { FormResize(this); };
    parts.guard = [this](const std::function<void()>& handler) { runGuarded(handler); };
    network_ = new NetworkCommands(std::move(parts), this);
}

void TForm1::SeSkinSpeedButton2Click(QObject*) {
    network_->InternetPlay();
}
void TForm1::SeSkinSpeedButton8Click(QObject*) {
    network_->Download();
}
// Both menu entries click the tool bar's download button, as a user would.
void TForm1::CustomItem68Click(QObject*) {
    SeSkinSpeedButton8->Click();
}
void TForm1::CustomItem69Click(QObject*) {
    SeSkinSpeedButton8->Click();
}

} // namespace app
