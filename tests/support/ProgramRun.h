#pragma once

#include <QString>
#include <memory>

class TdmMain;
class TfrmMain;

// A run of the program inside a test. Construction makes a fresh data folder (see
// TestSupport), where the test may set up Configure.ini; Restart() then starts the data
// module, set as dmMain and opened on the folder's bank, and the main window when asked
// for, closing any earlier ones first, as a learner reopening the program does. The
// destructor ends the run and clears dmMain.
class ProgramRun {
public:
    ProgramRun(bool withSampleBank, bool withWindow);
    // A run on the files of an existing data folder, as a later start of the program.
    ProgramRun(const QString& folder, bool withWindow);
    ~ProgramRun();
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    // Returns whether the bank opened and, with a window, whether it was shown.
    bool Restart();
    TdmMain& DataModule() { return *Module; }
    TfrmMain& Window() { return *Main; }
    QString Folder() const { return DataFolder; }

private:
    void Stop();

    bool WithWindow;
    QString DataFolder;
    std::unique_ptr<TdmMain> Module;
    std::unique_ptr<TfrmMain> Main;
};
