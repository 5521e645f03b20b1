#pragma once

// The C interface of the nine resource libraries (MainImage.so, SubImage.so, …), shared by
// the libraries and the program that loads them. Texts crossing it are NUL-terminated GBK.
// No function throws; a name a library does not hold is an ordinary "not found".

#ifdef __cplusplus
extern "C" {
#endif

// Size of the buffer a picture function fills: at most 255 bytes of path and the NUL.
#define VELTRANO_PICTURE_PATH_CAPACITY 256

// Picture functions (LoadSubImage, LoadVideoTeachImage, LoadTrafficSignImage, …):
// writes the picture `name` of type `type` (a file extension such as "png") into the
// private temporary picture folder and puts the file's full path, ending in "." + type,
// into `result`. Returns the path's length in bytes, or 0 with `result` empty when the
// library holds no such picture, a name or type is null, empty or not a plain name, or the
// file cannot be written.
typedef int (*VeltranoPictureFunction)(char result[VELTRANO_PICTURE_PATH_CAPACITY],
                                       const char* name, const char* type);

// MainImage.so "LoadJpgRes": the size in bytes of the main picture `name` (a JPEG), or 0
// when unknown. When `buffer` is not null and `capacity` is at least that size, the bytes
// are copied into it; otherwise nothing is copied. Call once with a null buffer to learn
// the size, then again with a buffer of that size.
typedef int (*VeltranoJpegFunction)(const char* name, unsigned char* buffer, int capacity);

// MainImage.so "LoadWaveRes": starts playing the sound `name` ("RightSound",
// "WrongSound") and returns at once. Unknown names and missing audio output are ignored.
// Needs the calling program's Qt application object; without one nothing is played.
typedef void (*VeltranoWaveFunction)(const char* name);

#ifdef __cplusplus
}
#endif
