#pragma once

#include <QString>
#include <QUrl>

#include <functional>

class QObject;
class QWidget;

// What the program asks of its web views. Qt WebEngine is a large library whose loading
// and relocation cost more than the rest of the start together, so it lives in a module of
// its own (libveltrano_web.so) that is loaded when the first page is to be shown; the
// program reaches it only through this table. The views are QWebEngineView objects.
struct TWebModule {
    // A web view with no error pages of the browser's own, no plug-ins, no context menu.
    // Creating the first view starts the browser process.
    QWidget* (*Create)(QWidget* parent);
    void (*Load)(QWidget* view, const QUrl& address);
    void (*LoadHtml)(QWidget* view, const QString& html, const QUrl& base);
    void (*Stop)(QWidget* view);
    // A script that every page of the view runs once its document is ready.
    void (*RunWhenReady)(QWidget* view, const QString& name, const QString& source);
    // `failed` runs, in `context`, whenever a page of the view fails to load.
    void (*OnLoadFailed)(QWidget* view, QObject* context, std::function<void()> failed);
};

// The module's one entry point.
using TWebModuleEntry = const TWebModule* (*)();
inline constexpr const char* kWebModuleEntry = "VeltranoWebModule";
