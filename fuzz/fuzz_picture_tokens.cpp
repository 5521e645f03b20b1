// Question texts from a bank, scanned for the "&name.type&" picture tokens.
#include "FuzzCheck.h"
#include "data/PictureFiles.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    qsizetype after = 0;
    for (const PictureToken& token : PictureTokens(text)) {
        // Tokens come left to right, do not overlap and lie in the text between two "&".
        FUZZ_CHECK(token.Start >= after && token.Length >= 2);
        FUZZ_CHECK(token.Start + token.Length <= text.size());
        FUZZ_CHECK(text[token.Start] == u'&' && text[token.Start + token.Length - 1] == u'&');
        after = token.Start + token.Length;
        (void)IsTextPictureType(token.Type);
    }
    return 0;
}
