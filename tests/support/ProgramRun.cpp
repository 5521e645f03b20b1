#include "ProgramRun.h"

#include "TestSupport.h"
#include "app/uMain.h"
#include "data/uDataModule.h"
#include "settings/AppPaths.h"

#include <QTest>

ProgramRun::ProgramRun(bool withSampleBank, bool withWindow)
    : WithWindow(withWindow), DataFolder(TestSupport::UseFreshDataFolder(withSampleBank)) {}

ProgramRun::ProgramRun(const QString& folder, bool withWindow)
    : WithWindow(withWindow), DataFolder(folder) {
    TestSupport::UseDataFolder(folder);
}

ProgramRun::~ProgramRun() {
    Stop();
}

void ProgramRun::Stop() {
    Main.reset();
    dmMain = nullptr;
    Module.reset();
}

bool ProgramRun::Restart() {
    Stop();
    Module = std::make_unique<TdmMain>();
    dmMain = Module.get();
    Module->DataModuleCreate(AppPaths::BankFile());
    if (!WithWindow)
        return Module->Connected();
    Main = std::make_unique<TfrmMain>();
    Main->show();
    return Module->Connected() && QTest::qWaitForWindowExposed(Main.get());
}
