#include "tests/support/FakeResources.h"

#include <strings.h>

CFakeResources::CFakeResources() : m_previous(InstallResourceSource(this)) {}

CFakeResources::~CFakeResources()
{
    InstallResourceSource(m_previous);
}

void CFakeResources::Add(const std::string& type, WORD id, const std::string& bytes)
{
    Entry& entry = m_entries.emplace_back();
    entry.type = type;
    entry.bytes.assign(bytes.begin(), bytes.end());
    entry.resource = EmbeddedResource{entry.type.c_str(), id, entry.bytes.data(), (DWORD)entry.bytes.size()};
}

const EmbeddedResource* CFakeResources::Find(LPCSTR type, WORD id)
{
    for (const Entry& entry : m_entries)
        if (entry.resource.id == id && strcasecmp(entry.type.c_str(), type) == 0)
            return &entry.resource;
    return NULL;
}
