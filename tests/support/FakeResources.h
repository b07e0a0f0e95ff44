// Resources for tests in place of the program's own: each test adds the blocks it needs (a
// damaged image, a missing one). Installs itself for its lifetime; the previous source comes
// back when it is destroyed.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/resources/EmbeddedResource.h"

class CFakeResources : public IResourceSource {
public:
    CFakeResources();
    ~CFakeResources() override;
    CFakeResources(const CFakeResources&) = delete;
    CFakeResources& operator=(const CFakeResources&) = delete;

    void Add(const std::string& type, WORD id, const std::string& bytes);
    // Forgets every resource added.
    void Clear() { m_entries.clear(); }

    const EmbeddedResource* Find(LPCSTR type, WORD id) override;

private:
    struct Entry {
        std::string type;
        std::vector<BYTE> bytes;
        EmbeddedResource resource;
    };
    std::deque<Entry> m_entries;  // a deque: found resources keep their addresses
    IResourceSource* m_previous;
};
