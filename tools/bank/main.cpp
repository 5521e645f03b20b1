#include "BankCsv.h"
#include "BankTool.h"

#include <QCoreApplication>
#include <QTextStream>

// veltrano-bank build SRC_DIR OUT.db | export BANK.db OUT_DIR
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = app.arguments().mid(1);
    if (args.size() != 3 || (args[0] != "build" && args[0] != "export")) {
        err << "usage: veltrano-bank build SRC_DIR OUT.db\n"
               "       veltrano-bank export BANK.db OUT_DIR\n";
        return 2;
    }
    try {
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
