#include "BankCheck.h"
#include "BankCsv.h"
#include "BankTool.h"

#include <QCoreApplication>
#include <QTextStream>

namespace {

// Prints the check's report; the exit code tells whether the bank passed.
int RunCheck(const QString& bankFile) {
    const BankCheckReport report = CheckBank(bankFile, BindQuestionPictures());
    QTextStream(stdout) << report.Text();
    return report.Passed() ? 0 : 1;
}

} // namespace

// veltrano-bank build SRC_DIR OUT.db | export BANK.db OUT_DIR | check BANK.db
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = app.arguments().mid(1);
    const bool check = args.size() == 2 && args[0] == "check";
    if (!check && (args.size() != 3 || (args[0] != "build" && args[0] != "export"))) {
        err << "usage: veltrano-bank build SRC_DIR OUT.db\n"
               "       veltrano-bank export BANK.db OUT_DIR\n"
               "       veltrano-bank check BANK.db\n";
        return 2;
    }
    try {
        if (check)
            return RunCheck(args[1]);
        if (args[0] == "build")
            BuildBank(args[1], args[2]);
        else
            ExportBank(args[1], args[2]);
    } catch (const BankError& error) {
        err << "veltrano-bank: " << QString::fromStdString(error.what()) << '\n';
        return 1;
    }
    return 0;
}
