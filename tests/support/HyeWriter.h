// Writes .hye files for the tests, the fuzz seeds and the benchmark: big-endian COFF with
// magic 0x1678, a 32-byte optional header, a section table, section data and line-number
// entries, a symbol table of ordinary symbols and stabs, and the strings behind it, whose
// offsets are absolute file offsets. Written from the file format alone, not from the reader.
//
// Layout: file header, optional header, section table, each section's data, each section's
// line entries, symbol table, string table (a 4-byte length, then the strings).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class CHyeWriter {
public:
    // Header fields; the defaults make a well-formed file. The counts and the symbol-table
    // offset are computed unless overridden.
    uint16_t m_magic = 0x1678;
    uint16_t m_optHeaderSize = 32;
    uint32_t m_timeStamp = 0x5F3759DF;
    uint16_t m_flags = 0x0107;
    uint16_t m_optMagic = 0x010B;
    uint16_t m_optVersion = 0x0002;
    uint32_t m_optWords[7] = {0x1000, 0x2000, 0x3000, 0x4000, 0x8000, 0x5000, 0x6000};
    std::optional<uint16_t> m_sectionCount;
    std::optional<uint32_t> m_symbolCount;
    std::optional<uint32_t> m_symbolTableOffset;

    // A section of `size` bytes at `address`; with `withData` its data follow in the file
    // (bytes derived from the address), else its raw-data offset is 0.
    int AddSection(const std::string& name, uint32_t address, uint32_t size, bool withData = true);
    void AddLine(int section, uint32_t address, uint16_t line);
    // A section's line entries at this offset instead of their own place (0: none).
    void SetLineOffset(int section, uint32_t offset) { m_sections[section].lineOffset = offset; }

    // A stab: kind 'S' with its string in the string table, or 'N' (string offset 0 when
    // `text` is empty).
    void AddStab(char kind, uint16_t type, const std::string& text, uint32_t value);
    // An ordinary symbol: the name inline when it has at most 8 characters, else in the
    // string table.
    void AddSymbol(const std::string& name, uint32_t value, uint8_t storageClass, uint16_t type, uint8_t auxCount = 0);
    // 18 bytes taken as they are.
    void AddRawEntry(const std::vector<uint8_t>& bytes);
    // A stab whose string offset is given, not taken from the string table.
    void AddStabAt(char kind, uint16_t type, uint32_t stringOffset, uint32_t value);

    // Shorthands for the stabs the reader tells apart.
    void SourceFile(const std::string& path, uint32_t address) { AddStab('S', 0x64, path, address); }
    void IncludedFile(const std::string& path, uint32_t address) { AddStab('S', 0x84, path, address); }
    void Function(const std::string& stab, uint32_t address) { AddStab('S', 0x24, stab, address); }
    void Local(const std::string& stab, uint32_t value) { AddStab('S', 0x80, stab, value); }
    void Global(const std::string& stab, uint32_t value) { AddStab('S', 0x20, stab, value); }
    void BlockStart(uint32_t address) { AddStab('N', 0xC0, "", address); }
    void BlockEnd(uint32_t address) { AddStab('N', 0xE0, "", address); }
    // An ordinary symbol that the loader takes for a task's code.
    void CodeSymbol(const std::string& name, uint32_t address) { AddSymbol(name, address, 3, 0x22); }

    // The whole file.
    std::string Build() const;
    // Where the symbol table and the string table begin in what Build() writes.
    uint32_t SymbolTableOffset() const;
    uint32_t StringTableOffset() const;

private:
    struct Section {
        std::string name;
        uint32_t address = 0, size = 0;
        bool withData = true;
        std::vector<std::pair<uint32_t, uint16_t>> lines;
        std::optional<uint32_t> lineOffset;
    };
    struct Entry {
        std::vector<uint8_t> bytes;  // 18; a string-table offset is patched in by Build
        int stringIndex = -1;        // into m_strings, or -1
    };

    uint32_t DataBytes() const;
    void AddEntry(std::vector<uint8_t> bytes, const std::string* text);

    std::vector<Section> m_sections;
    std::vector<Entry> m_entries;
    std::vector<std::string> m_strings;
};
