#include "res/EmbeddedResources.h"

const std::vector<EmbeddedResource>& EmbeddedResourceTable()
{
    static const std::vector<EmbeddedResource> table = {
        HyeProgramResource(),
    };
    return table;
}
