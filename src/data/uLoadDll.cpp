#include "data/uLoadDll.h"

#include "data/GbkCodeCall.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

namespace {

QFunctionPointer EncryptionCodeToStr = nullptr;
QFunctionPointer EncryptionStrToCode = nullptr;

struct FunctionBinding {
    const char* Name;
    QFunctionPointer* Target;
};

struct LibraryBinding {
    const char* File;
    QList<FunctionBinding> Functions;
};

// Every library the program binds, with the functions it takes from each.
const QList<LibraryBinding>& Bindings() {
    static const QList<LibraryBinding> bindings = {
        {"libEncryption.so",
         {{"CodeToStr", &EncryptionCodeToStr}, {"StrToCode", &EncryptionStrToCode}}},
    };
    return bindings;
}

// Loads one library from `folder` and binds its functions; returns what is missing.
QStringList Bind(const LibraryBinding& binding, const QString& folder) {
    for (const FunctionBinding& function : binding.Functions)
        *function.Target = nullptr;
    static QList<QLibrary*> loaded; // libraries stay loaded for the whole run
    auto* library = new QLibrary(QDir(folder).filePath(QLatin1String(binding.File)));
    if (!library->load()) {
        delete library;
        return {QLatin1String(binding.File)};
    }
    loaded.append(library);
    QStringList missing;
    for (const FunctionBinding& function : binding.Functions) {
        *function.Target = library->resolve(function.Name);
        if (*function.Target == nullptr)
            missing.append(QStringLiteral("%1: %2").arg(QLatin1String(binding.File),
                                                        QLatin1String(function.Name)));
    }
    return missing;
}

} // namespace

QStringList LoadLibraries() {
    const QString folder = QCoreApplication::applicationDirPath();
    QStringList missing;
    for (const LibraryBinding& binding : Bindings())
        missing += Bind(binding, folder);
    return missing;
}

bool EncryptionLoaded() {
    return EncryptionCodeToStr != nullptr && EncryptionStrToCode != nullptr;
}

QString CodeToStr(const QString& code) {
    return CallCodeFunction(reinterpret_cast<CodeFunction>(EncryptionCodeToStr), code)
        .value_or(QString());
}

QString StrToCode(const QString& plain) {
    return CallCodeFunction(reinterpret_cast<CodeFunction>(EncryptionStrToCode), plain)
        .value_or(QString());
}
