// Placeholder until the reader lands.
#include "programs/OwnManifest.h"

OwnManifest ReadOwnManifest(const char*)
{
    return OwnManifest::None;
}
