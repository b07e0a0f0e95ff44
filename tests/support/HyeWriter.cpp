#include "tests/support/HyeWriter.h"

namespace {

constexpr uint32_t kFileHeaderBytes = 20;
constexpr uint32_t kOptHeaderBytes = 32;
constexpr uint32_t kSectionBytes = 48;
constexpr uint32_t kLineBytes = 6;
constexpr uint32_t kEntryBytes = 18;

void Put16(std::string& out, uint16_t value)
{
    out += (char)(value >> 8);
    out += (char)value;
}

void Put32(std::string& out, uint32_t value)
{
    Put16(out, (uint16_t)(value >> 16));
    Put16(out, (uint16_t)value);
}

void Set32(std::vector<uint8_t>& bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = (uint8_t)(value >> (24 - 8 * i));
}

void Set16(std::vector<uint8_t>& bytes, size_t at, uint16_t value)
{
    bytes[at] = (uint8_t)(value >> 8);
    bytes[at + 1] = (uint8_t)value;
}

// The tail shared by every entry: value, section number, type, storage class, aux count.
std::vector<uint8_t> NewEntry(uint32_t value, uint16_t type, uint8_t storageClass, uint8_t aux)
{
    std::vector<uint8_t> bytes(kEntryBytes, 0);
    Set32(bytes, 8, value);
    Set16(bytes, 12, 1);
    Set16(bytes, 14, type);
    bytes[16] = storageClass;
    bytes[17] = aux;
    return bytes;
}

}  // namespace

int CHyeWriter::AddSection(const std::string& name, uint32_t address, uint32_t size, bool withData)
{
    Section section;
    section.name = name;
    section.address = address;
    section.size = size;
    section.withData = withData;
    m_sections.push_back(section);
    return (int)m_sections.size() - 1;
}

void CHyeWriter::AddLine(int section, uint32_t address, uint16_t line)
{
    m_sections[section].lines.emplace_back(address, line);
}

void CHyeWriter::AddEntry(std::vector<uint8_t> bytes, const std::string* text)
{
    Entry entry;
    entry.bytes = std::move(bytes);
    if (text) {
        entry.stringIndex = (int)m_strings.size();
        m_strings.push_back(*text);
    }
    m_entries.push_back(std::move(entry));
}

void CHyeWriter::AddStab(char kind, uint16_t type, const std::string& text, uint32_t value)
{
    std::vector<uint8_t> bytes = NewEntry(value, 0, 0, 0);
    bytes[1] = (uint8_t)kind;
    Set16(bytes, 2, type);
    AddEntry(std::move(bytes), kind == 'N' && text.empty() ? NULL : &text);
}

void CHyeWriter::AddStabAt(char kind, uint16_t type, uint32_t stringOffset, uint32_t value)
{
    std::vector<uint8_t> bytes = NewEntry(value, 0, 0, 0);
    bytes[1] = (uint8_t)kind;
    Set16(bytes, 2, type);
    Set32(bytes, 4, stringOffset);
    AddEntry(std::move(bytes), NULL);
}

void CHyeWriter::AddSymbol(const std::string& name, uint32_t value, uint8_t storageClass, uint16_t type,
                           uint8_t auxCount)
{
    std::vector<uint8_t> bytes = NewEntry(value, type, storageClass, auxCount);
    if (name.size() <= 8 && !name.empty()) {
        std::copy(name.begin(), name.end(), bytes.begin());
        AddEntry(std::move(bytes), NULL);
    } else {
        AddEntry(std::move(bytes), &name);
    }
}

void CHyeWriter::AddRawEntry(const std::vector<uint8_t>& bytes)
{
    std::vector<uint8_t> copy = bytes;
    copy.resize(kEntryBytes, 0);
    AddEntry(std::move(copy), NULL);
}

uint32_t CHyeWriter::DataBytes() const
{
    uint32_t bytes = 0;
    for (const Section& section : m_sections) {
        if (section.withData)
            bytes += section.size;
        bytes += (uint32_t)section.lines.size() * kLineBytes;
    }
    return bytes;
}

uint32_t CHyeWriter::SymbolTableOffset() const
{
    return kFileHeaderBytes + kOptHeaderBytes + (uint32_t)m_sections.size() * kSectionBytes + DataBytes();
}

uint32_t CHyeWriter::StringTableOffset() const
{
    return SymbolTableOffset() + (uint32_t)m_entries.size() * kEntryBytes;
}

std::string CHyeWriter::Build() const
{
    std::string out;
    uint32_t symbols = SymbolTableOffset();
    Put16(out, m_magic);
    Put16(out, m_sectionCount.value_or((uint16_t)m_sections.size()));
    Put32(out, m_timeStamp);
    Put32(out, m_symbolTableOffset.value_or(m_entries.empty() ? 0 : symbols));
    Put32(out, m_symbolCount.value_or((uint32_t)m_entries.size()));
    Put16(out, m_optHeaderSize);
    Put16(out, m_flags);

    Put16(out, m_optMagic);
    Put16(out, m_optVersion);
    for (uint32_t word : m_optWords)
        Put32(out, word);

    uint32_t data = kFileHeaderBytes + kOptHeaderBytes + (uint32_t)m_sections.size() * kSectionBytes;
    for (const Section& section : m_sections) {
        std::string name = section.name.substr(0, 16);
        name.resize(16, '\0');
        out += name;
        uint32_t rawOffset = section.withData ? data : 0;
        data += section.withData ? section.size : 0;
        uint32_t lineOffset = section.lines.empty() ? 0 : data;
        data += (uint32_t)section.lines.size() * kLineBytes;
        Put32(out, section.address);
        Put32(out, section.address);
        Put32(out, section.size);
        Put32(out, rawOffset);
        Put32(out, 0);
        Put32(out, section.lineOffset.value_or(lineOffset));
        Put16(out, 0);
        Put16(out, (uint16_t)section.lines.size());
        Put32(out, 0x20);
    }
    for (const Section& section : m_sections) {
        if (section.withData)
            for (uint32_t i = 0; i < section.size; ++i)
                out += (char)((section.address + i) * 7);
        for (const auto& [address, line] : section.lines) {
            Put32(out, address);
            Put16(out, line);
        }
    }

    std::vector<uint32_t> stringOffsets;
    uint32_t next = StringTableOffset() + 4;
    for (const std::string& text : m_strings) {
        stringOffsets.push_back(next);
        next += (uint32_t)text.size() + 1;
    }
    for (const Entry& entry : m_entries) {
        std::vector<uint8_t> bytes = entry.bytes;
        if (entry.stringIndex >= 0)
            Set32(bytes, 4, stringOffsets[entry.stringIndex]);
        out.append(bytes.begin(), bytes.end());
    }
    Put32(out, next - StringTableOffset());
    for (const std::string& text : m_strings) {
        out += text;
        out += '\0';
    }
    return out;
}
