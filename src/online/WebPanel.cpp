#include "online/WebPanel.h"

#include "online/URLInfo.h"
#include "online/WebView.h"

#include <QEvent>
#include <QLabel>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>

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

void TWebPanel::CreateBrowser() {
    View = CreateWebView(Area, BrowserName);
    View->hide();
    QWebEngineScript styling;
    styling.setName(QStringLiteral("PageStyling"));
    styling.setSourceCode(PageStylingScript());
    styling.setInjectionPoint(QWebEngineScript::DocumentReady);
    styling.setWorldId(QWebEngineScript::ApplicationWorld);
    styling.setRunsOnSubFrames(false);
    View->page()->scripts().insert(styling);
    // An error page in the area would stay there; the picture is the better sight.
    connect(View->page(), &QWebEnginePage::loadingChanged, this,
            [this](const QWebEngineLoadingInfo& info) {
                if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus && BrowserFollowsArea)
                    Show(false, QString());
            });
}

void TWebPanel::Show(bool online, const QString& address) {
    if (!online) {
        ShowBrowserLater.stop();
        BrowserFollowsArea = false;
        if (View) {
            View->stop();
            View->setGeometry(0, 0, 0, 0);
            View->hide();
        }
        Fit();
        Picture->show();
        return;
    }
    if (!View)
        CreateBrowser();
    BrowserFollowsArea = true;
    Fit();
    View->setUrl(QUrl(WebAddress(address)));
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
