#include "app/Startup.h"
#include "online/WebView.h"

int main(int argc, char** argv) {
    PrepareWebEngine();
    VeltranoApplication app(argc, argv);
    Startup::SetUpApplication(app);
    return Startup::Run(app);
}
