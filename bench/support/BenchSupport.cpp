#include "support/BenchSupport.h"

#include "data/uDataModule.h"
#include "data/uLoadDll.h"
#include "settings/AppPaths.h"
#include "support/FixtureBank.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>
#include <cstdio>

#include <QStringList>

namespace BenchSupport {
namespace {

// One question of the generated bank: every third true/false.
FixtureBank::Question GeneratedQuestion(int id, int subID, int chapterID) {
    const bool judge = subID % 3 == 0;
    FixtureBank::Question question{
        id,
        subID,
        chapterID,
        QStringLiteral("第%1题：在道路上行驶时遇到这种情况应当怎样做？").arg(subID),
        judge ? QStringList() : QStringList{"减速慢行", "加速通过", "鸣喇叭", "停车等待"},
        judge ? QStringLiteral("对") : QStringLiteral("A")};
    question.Analyse = QStringLiteral("遇到这种情况应当减速慢行，注意观察。");
    return question;
}

} // namespace

bool GenerateBank() {
    QList<FixtureBank::Question> questions;
    int id = 0;
    for (int subID = 1; subID <= QuestionTotal; ++subID) {
        questions.append(GeneratedQuestion(++id, subID, 1 + subID % 14));
        if (subID % 10 == 0)
            questions.append(GeneratedQuestion(++id, subID, 1 + (subID / 10) % 7));
    }
    return FixtureBank::ReplaceQuestions(dmMain->adocLocal(), questions);
}

void UseOffscreenUnlessSet() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

void LoadProgramLibraries() {
    const QStringList missing = LoadLibraries();
    if (!missing.isEmpty())
        std::fprintf(stderr, "missing: %s\n", qPrintable(missing.join(", ")));
}

std::unique_ptr<TdmMain> OpenSampleBankCopy(const QString& folder) {
    AppPaths::SetDataFolder(folder);
    QFile::copy(QCoreApplication::applicationDirPath() + "/DriveDB.db", folder + "/DriveDB.db");
    auto bank = std::make_unique<TdmMain>();
    bank->DataModuleCreate(AppPaths::BankFile());
    return bank;
}

TPageBench::TPageBench(int& argc, char** argv) {
    UseOffscreenUnlessSet();
    App = std::make_unique<QApplication>(argc, argv);
    benchmark::Initialize(&argc, argv);
    LoadProgramLibraries();
    Bank = OpenSampleBankCopy(DataFolder.path());
    dmMain = Bank.get();
}

TPageBench::~TPageBench() {
    dmMain = nullptr;
}

} // namespace BenchSupport
