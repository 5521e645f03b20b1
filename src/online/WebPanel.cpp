#include "online/WebPanel.h"

#include "online/URLInfo.h"
#include "online/WebView.h"

#include <QEvent>
#include <QLabel>
#include <QUrl>

namespace {
constexpr int kShowBrowserDelayMs = 500;
}

QString PageStylingScript() {
    return QStringLiteral("(function () {"
                          "  var body = document.body;"
                          "  if (!body) return;"
                          "  body.setAttribute('scroll', 'no');"
                          "  var style = body.style;"
                          "  style.border = '0';"
                          "  style.borderStyle = 'none';"
                          "  style.margin = '0';"
                          "  style.padding = '0';"
                          "  style.overflow = 'hidden';"
                          "  document.documentElement.style.overflow = 'hidden';"
                          "})();");
}

TWebPanel::TWebPanel(QWidget* area, QLabel* picture, QString browserName)
    : QObject(area), Area(area), Picture(picture), BrowserName(std::move(browserName)) {
    ShowBrowserLater.setSingleShot(true);
    ShowBrowserLater.setInterval(kShowBrowserDelayMs);
    connect(&ShowBrowserLater, &QTimer::timeout, this, [this] {
        if (View && BrowserFollowsArea)
            View->show();
    });
    Area->installEventFilter(this);
    Fit();
}

bool TWebPanel::CreateBrowser() {
    View = CreateWebView(Area, BrowserName);
    if (!View)
        return false;
    View->hide();
    WebModule()->RunWhenReady(View, QStringLiteral("PageStyling"), PageStylingScript());
    // An error page in the area would stay there; the picture is the better sight.
    WebModule()->OnLoadFailed(View, this, [this] {
        if (BrowserFollowsArea)
            Show(false, QString());
    });
    return true;
}

void TWebPanel::Show(bool online, const QString& address) {
    if (!online) {
        ShowBrowserLater.stop();
        BrowserFollowsArea = false;
        if (View) {
            WebModule()->Stop(View);
            View->setGeometry(0, 0, 0, 0);
            View->hide();
        }
        Fit();
        Picture->show();
        return;
    }
    // Without the web module the picture stays, as for an unreachable site.
    if (!View && !CreateBrowser())
        return Show(false, QString());
    BrowserFollowsArea = true;
    Fit();
    WebModule()->Load(View, QUrl(WebAddress(address)));
    View->hide();
    ShowBrowserLater.start();
    Picture->hide();
}

void TWebPanel::Fit() {
    Picture->setGeometry(Area->rect());
    if (View && BrowserFollowsArea)
        View->setGeometry(Area->rect());
}

bool TWebPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Area && event->type() == QEvent::Resize)
        Fit();
    return QObject::eventFilter(watched, event);
}
