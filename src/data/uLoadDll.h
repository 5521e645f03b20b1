#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// Bindings of the answer-code library and the nine resource libraries, which lie in the
// library folder of the install layout (data/InstallLayout.h), loaded once at start-up.

// Loads every library and binds its functions. Returns the names of what is missing
// ("libEncryption.so", "SubImage.so: LoadSubImage", …); empty when all are there.
QStringList LoadLibraries();
// True once libEncryption is bound; the program cannot run without it.
bool EncryptionLoaded();

// Decodes a stored text / encodes a plain text through libEncryption.
QString CodeToStr(const QString& code);
QString StrToCode(const QString& plain);

// The nine picture functions: full path of a readable picture file, or empty.
enum class TeachLibrary {
    Sub,
    VideoTeach,
    TrafficSign,
    TrafficPoliceMotion,
    AccidentSchema,
    MeterSchema,
    TrafficRule,
    JudgeStandard
};
QString LoadSubImage(const QString& name, const QString& type);
QString LoadLibraryImage(TeachLibrary library, const QString& name, const QString& type);
// The library that holds the teaching files of a classroom category ("交通法规" →
// TrafficRule), compared exactly; none for a text that names no category.
std::optional<TeachLibrary> TeachLibraryOfCategory(const QString& category);
// The file name of a picture library: "TrafficRuleImage.so".
QString LibraryFileName(TeachLibrary library);

// MainImage: the named JPEG's bytes (empty when unknown), and the two answer sounds
// ("RightSound", "WrongSound"), played without blocking.
QByteArray LoadJpgRes(const QString& name);
void LoadWaveRes(const QString& name);
