// The one exported function of a picture library. VELTRANO_PICTURE_FUNCTION names it
// (LoadSubImage, LoadTrafficSignImage, …); the build sets it per library.
#include "ResourceLibraryAbi.h"
#include "ResourceStore.h"

extern "C" __attribute__((visibility("default"))) int
VELTRANO_PICTURE_FUNCTION(char result[VELTRANO_PICTURE_PATH_CAPACITY], const char* name,
                          const char* type) {
    return veltrano::resources::ProvidePicture(result, name, type);
}
