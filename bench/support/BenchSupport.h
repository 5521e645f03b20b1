#pragma once

#include "data/uDataModule.h"

#include <QApplication>
#include <QString>
#include <QTemporaryDir>
#include <memory>

// Shared pieces of the benchmark programs.
namespace BenchSupport {

constexpr int QuestionTotal = 10000;

// Benchmarks draw offscreen unless a platform is named; call before the application object.
void UseOffscreenUnlessSet();

// Binds the program's libraries beside the benchmark and names any that are missing.
void LoadProgramLibraries();

// Replaces the questions of the open bank (dmMain) by 10,000 generated ones: chapters 1–14
// in turn, every third question true/false (form 1), the others choice questions (form 2),
// every tenth filed in a second chapter as well. False when a statement failed.
bool GenerateBank();

// Makes `folder` the data folder, copies the built sample bank into it and opens the copy.
std::unique_ptr<TdmMain> OpenSampleBankCopy(const QString& folder);

// The start shared by the benchmarks of the program's pages: the platform, the application,
// the benchmark's own arguments, the program's libraries and a copy of the sample bank in a
// fresh data folder, open as dmMain for the benchmark's life.
class TPageBench {
public:
    TPageBench(int& argc, char** argv);
    ~TPageBench();
    TPageBench(const TPageBench&) = delete;
    TPageBench& operator=(const TPageBench&) = delete;

    bool BankOpen() const { return Bank->Connected(); }
    QString Folder() const { return DataFolder.path(); }

private:
    std::unique_ptr<QApplication> App;
    QTemporaryDir DataFolder;
    std::unique_ptr<TdmMain> Bank;
};

} // namespace BenchSupport
