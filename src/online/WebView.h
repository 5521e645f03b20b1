#pragma once

#include <QString>

class QWebEngineView;
class QWidget;

// Must run before the application object exists: Qt WebEngine shares OpenGL contexts with
// the widgets, and as root Chromium refuses to start with its sandbox on, so the sandbox is
// switched off for root only (QTWEBENGINE_DISABLE_SANDBOX=1).
void PrepareWebEngine();

// The one factory of the program's web views: no error pages of the browser's own, no
// context menu, an off-the-record profile. Creating the first view starts the browser process.
QWebEngineView* CreateWebView(QWidget* parent, const QString& name);
