#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

class QLabel;
class QWidget;

// One area of the window that shows a page of the web site when it can be reached and a
// local picture otherwise (the header panel, the home page). The area's browser is made
// only when a page is first to be shown, so no browser process runs while the site is
// unreachable. Exactly one of picture and browser is visible once the area was switched.
class TWebPanel : public QObject {
    Q_OBJECT
public:
    // `picture` is a child of `area`; the browser, once made, is named `browserName`.
    TWebPanel(QWidget* area, QLabel* picture, QString browserName);

    // online: the browser fills the area and loads "http://" + address; it is shown 500 ms
    // later, the picture at once hidden. Offline: the picture fills the area and shows, the
    // browser shrinks to nothing and hides. A page that then fails to load falls back to
    // the picture.
    void Show(bool online, const QString& address);

    // Null until the first page was to be shown; a QWebEngineView.
    QWidget* Browser() const { return View; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // False when there is no web module.
    bool CreateBrowser();
    void Fit();

    QWidget* Area;
    QLabel* Picture;
    QString BrowserName;
    QWidget* View = nullptr;
    bool BrowserFollowsArea = false;
    QTimer ShowBrowserLater;
};

// The script that every page of an area runs once its document is ready: no scroll bars,
// frame or outer spacing; what lies beyond the area is cut off.
QString PageStylingScript();
