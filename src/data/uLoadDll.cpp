#include "data/uLoadDll.h"

#include "data/GbkCodeCall.h"
#include "data/InstallLayout.h"

#include "ResourceLibraryAbi.h"

#include <QDir>
#include <QLibrary>
#include <QStringDecoder>
#include <QStringEncoder>

#include <array>
#include <memory>
#include <optional>
#include <vector>

namespace {

QFunctionPointer EncryptionCodeToStr = nullptr;
QFunctionPointer EncryptionStrToCode = nullptr;
QFunctionPointer MainLoadJpgRes = nullptr;
QFunctionPointer MainLoadWaveRes = nullptr;
// The picture functions, in the order of TeachLibrary.
std::array<QFunctionPointer, 8> PictureFunctions{};

QFunctionPointer& PictureFunction(TeachLibrary library) {
    return PictureFunctions.at(size_t(library));
}

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
        {"MainImage.so", {{"LoadJpgRes", &MainLoadJpgRes}, {"LoadWaveRes", &MainLoadWaveRes}}},
        {"SubImage.so", {{"LoadSubImage", &PictureFunction(TeachLibrary::Sub)}}},
        {"VideoTeachImage.so",
         {{"LoadVideoTeachImage", &PictureFunction(TeachLibrary::VideoTeach)}}},
        {"TrafficSignImage.so",
         {{"LoadTrafficSignImage", &PictureFunction(TeachLibrary::TrafficSign)}}},
        {"TrafficPoliceMotionImage.so",
         {{"LoadTrafficPoliceMotionImage", &PictureFunction(TeachLibrary::TrafficPoliceMotion)}}},
        {"AccidentSchemaImage.so",
         {{"LoadAccidentSchemaImage", &PictureFunction(TeachLibrary::AccidentSchema)}}},
        {"MeterSchemaImage.so",
         {{"LoadMeterSchemaImage", &PictureFunction(TeachLibrary::MeterSchema)}}},
        {"TrafficRuleImage.so",
         {{"LoadTrafficRuleImage", &PictureFunction(TeachLibrary::TrafficRule)}}},
        {"JudgeStandardImage.so",
         {{"LoadJudgeStandardImage", &PictureFunction(TeachLibrary::JudgeStandard)}}},
    };
    return bindings;
}

// Loads one library from `folder` and binds its functions; returns what is missing.
QStringList Bind(const LibraryBinding& binding, const QString& folder) {
    for (const FunctionBinding& function : binding.Functions)
        *function.Target = nullptr;
    // The handles are owned here and freed at exit; the libraries themselves stay loaded for
    // the whole run, since deleting a QLibrary never unloads it.
    static std::vector<std::unique_ptr<QLibrary>> loaded;
    auto library = std::make_unique<QLibrary>(QDir(folder).filePath(QLatin1String(binding.File)));
    if (!library->load())
        return {QLatin1String(binding.File)};
    QStringList missing;
    for (const FunctionBinding& function : binding.Functions) {
        *function.Target = library->resolve(function.Name);
        if (*function.Target == nullptr)
            missing.append(QStringLiteral("%1: %2").arg(QLatin1String(binding.File),
                                                        QLatin1String(function.Name)));
    }
    loaded.push_back(std::move(library));
    return missing;
}

// A name for a resource library: GBK bytes, or nothing when the text has no GBK form.
std::optional<QByteArray> ToGbk(const QString& text) {
    QStringEncoder encoder("GBK");
    QByteArray bytes = encoder.encode(text);
    if (encoder.hasError())
        return std::nullopt;
    return bytes;
}

} // namespace

QStringList LoadLibraries() {
    const QString folder = InstallLayout::LibraryFolder();
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

QString LoadSubImage(const QString& name, const QString& type) {
    return LoadLibraryImage(TeachLibrary::Sub, name, type);
}

QString LoadLibraryImage(TeachLibrary library, const QString& name, const QString& type) {
    const auto function = reinterpret_cast<VeltranoPictureFunction>(PictureFunction(library));
    const std::optional<QByteArray> gbkName = ToGbk(name);
    const std::optional<QByteArray> gbkType = ToGbk(type);
    if (!function || !gbkName || !gbkType)
        return {};
    char result[VELTRANO_PICTURE_PATH_CAPACITY] = {};
    const int length = function(result, name.isEmpty() ? nullptr : gbkName->constData(),
                                type.isEmpty() ? nullptr : gbkType->constData());
    if (length <= 0 || length >= VELTRANO_PICTURE_PATH_CAPACITY)
        return {};
    return QStringDecoder("GBK").decode(QByteArrayView(result, length));
}

std::optional<TeachLibrary> TeachLibraryOfCategory(const QString& category) {
    static const std::pair<const char16_t*, TeachLibrary> categories[] = {
        {u"交通标志", TeachLibrary::TrafficSign},
        {u"交警手势", TeachLibrary::TrafficPoliceMotion},
        {u"事故图解", TeachLibrary::AccidentSchema},
        {u"动画讲解", TeachLibrary::VideoTeach},
        {u"交通法规", TeachLibrary::TrafficRule},
        {u"评判标准", TeachLibrary::JudgeStandard},
        {u"仪表图解", TeachLibrary::MeterSchema}};
    for (const auto& [name, library] : categories)
        if (category == QStringView(name))
            return library;
    return std::nullopt;
}

QString LibraryFileName(TeachLibrary library) {
    for (const LibraryBinding& binding : Bindings())
        for (const FunctionBinding& function : binding.Functions)
            if (function.Target == &PictureFunction(library))
                return QLatin1String(binding.File);
    return {};
}

QByteArray LoadJpgRes(const QString& name) {
    const auto function = reinterpret_cast<VeltranoJpegFunction>(MainLoadJpgRes);
    const std::optional<QByteArray> gbkName = ToGbk(name);
    if (!function || !gbkName)
        return {};
    const int size = function(gbkName->constData(), nullptr, 0);
    if (size <= 0)
        return {};
    QByteArray bytes(size, Qt::Uninitialized);
    if (function(gbkName->constData(), reinterpret_cast<unsigned char*>(bytes.data()), size) !=
        size)
        return {};
    return bytes;
}

void LoadWaveRes(const QString& name) {
    const auto function = reinterpret_cast<VeltranoWaveFunction>(MainLoadWaveRes);
    const std::optional<QByteArray> gbkName = ToGbk(name);
    if (function && gbkName)
        function(gbkName->constData());
}
