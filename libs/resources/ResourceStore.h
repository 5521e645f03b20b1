#pragma once

#include <QByteArray>
#include <QString>

// The files compiled into one resource library, stored under the prefix ":/<library>/".
// Every library is built from the same sources; VELTRANO_LIBRARY_NAME names the one being
// built. Names arriving through the C interface are untrusted: only plain names are
// looked up, so nothing outside this library's own files can be reached.
namespace veltrano::resources {

// The library's own name ("SubImage", …).
QString LibraryName();

// Decodes a NUL-terminated GBK text; null gives an empty text.
QString FromGbk(const char* text);

// A picture or sound name: letters, digits, '_' and '-', at most 100 characters.
bool IsPlainName(const QString& name);
// A picture type: 1 to 10 ASCII letters or digits.
bool IsPlainType(const QString& type);

// The bytes of the library's file `name`.`type` (type compared without regard to case),
// or an empty array when the library holds no such file or the name is not plain.
QByteArray ReadOwnFile(const QString& name, const QString& type);

// Writes `bytes` as the picture file `name`.`type` of this library into the private
// temporary folder and returns its path as GBK, or an empty array when the folder is
// unsafe or absent, the path would exceed 255 bytes or the file cannot be written.
QByteArray WritePictureFile(const QString& name, const QString& type, const QByteArray& bytes);

// The body of every picture function of the C interface.
int ProvidePicture(char* result, const char* name, const char* type);

} // namespace veltrano::resources
