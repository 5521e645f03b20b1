#include "online/WebView.h"

#include "data/InstallLayout.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>
#include <QWidget>
#include <QtDebug>
#include <unistd.h>

void PrepareWebEngine() {
    if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

const TWebModule* WebModule() {
    // The handle is freed at exit, but the library stays loaded for the whole run, since the
    // views live on in the window (deleting a QLibrary never unloads it).
    static QLibrary library(
        QDir(InstallLayout::LibraryFolder()).filePath(QStringLiteral("libveltrano_web.so")));
    static const TWebModule* module = [] {
        const auto entry = reinterpret_cast<TWebModuleEntry>(library.resolve(kWebModuleEntry));
        if (!entry) {
            qWarning().noquote() << "web pages cannot be shown:" << library.errorString();
            return static_cast<const TWebModule*>(nullptr);
        }
        return entry();
    }();
    return module;
}

QWidget* CreateWebView(QWidget* parent, const QString& name) {
    const TWebModule* module = WebModule();
    if (!module)
        return nullptr;
    QWidget* view = module->Create(parent);
    view->setObjectName(name);
    return view;
}
