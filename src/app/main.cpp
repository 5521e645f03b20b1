#include "app/Startup.h"

int main(int argc, char** argv) {
    VeltranoApplication app(argc, argv);
    Startup::SetUpApplication(app);
    return Startup::Run(app);
}
