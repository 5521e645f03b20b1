// Sound files of the main resource library.
#include "FuzzCheck.h"
#include "WavPlayer.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray file(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto wave = veltrano::resources::ParsePcmWave(file);
    if (!wave)
        return 0;
    // An accepted wave holds whole frames of a format an audio sink can play.
    FUZZ_CHECK(wave->Format.isValid());
    FUZZ_CHECK(!wave->Samples.isEmpty());
    FUZZ_CHECK(wave->Samples.size() % wave->Format.bytesPerFrame() == 0);
    FUZZ_CHECK(wave->Samples.size() <= file.size());
    return 0;
}
