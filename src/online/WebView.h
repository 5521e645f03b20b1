#pragma once

#include "online/WebModule.h"

#include <QString>

class QWidget;

// Must run before the application object exists: Qt WebEngine shares OpenGL contexts with
// the widgets, and as root Chromium refuses to start with its sandbox on, so the sandbox is
// switched off for root only (QTWEBENGINE_DISABLE_SANDBOX=1).
void PrepareWebEngine();

// The web module, loaded from the program's library folder on first use; null when it is missing or
// cannot be loaded (the reason goes to the log once).
const TWebModule* WebModule();

// The one factory of the program's web views (see TWebModule::Create), named `name`; null
// without the web module.
QWidget* CreateWebView(QWidget* parent, const QString& name);
