// The web module: the program's web views on Qt WebEngine, loaded only when a page is first
// shown (see online/WebModule.h).
#include "online/WebModule.h"

#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace {

QWebEngineView* Engine(QWidget* view) {
    return static_cast<QWebEngineView*>(view);
}

QWidget* Create(QWidget* parent) {
    auto* view = new QWebEngineView(parent);
    view->setContextMenuPolicy(Qt::NoContextMenu);
    QWebEngineSettings* settings = view->settings();
    settings->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    return view;
}

void Load(QWidget* view, const QUrl& address) {
    Engine(view)->setUrl(address);
}

void LoadHtml(QWidget* view, const QString& html, const QUrl& base) {
    Engine(view)->setHtml(html, base);
}

void Stop(QWidget* view) {
    Engine(view)->stop();
}

void RunWhenReady(QWidget* view, const QString& name, const QString& source) {
    QWebEngineScript script;
    script.setName(name);
    script.setSourceCode(source);
    script.setInjectionPoint(QWebEngineScript::DocumentReady);
    script.setWorldId(QWebEngineScript::ApplicationWorld);
    script.setRunsOnSubFrames(false);
    Engine(view)->page()->scripts().insert(script);
}

void OnLoadFailed(QWidget* view, QObject* context, std::function<void()> failed) {
    QObject::connect(Engine(view)->page(), &QWebEnginePage::loadingChanged, context,
                     [failed = std::move(failed)](const QWebEngineLoadingInfo& info) {
                         if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus)
                             failed();
                     });
}

const TWebModule Module = {Create, Load, LoadHtml, Stop, RunWhenReady, OnLoadFailed};

} // namespace

extern "C" Q_DECL_EXPORT const TWebModule* VeltranoWebModule() {
    return &Module;
}
