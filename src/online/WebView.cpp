#include "online/WebView.h"

#include <QCoreApplication>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <unistd.h>

void PrepareWebEngine() {
    if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

QWebEngineView* CreateWebView(QWidget* parent, const QString& name) {
    auto* view = new QWebEngineView(parent);
    view->setObjectName(name);
    view->setContextMenuPolicy(Qt::NoContextMenu);
    QWebEngineSettings* settings = view->settings();
    settings->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    return view;
}
