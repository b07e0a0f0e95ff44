#include "coff/CoffImage.h"

#include <cstdint>
#include <cstring>
#include <new>
#include <utility>

namespace {

const DWORD kFileHeaderBytes = 20;
const DWORD kOptHeaderBytes = 32;
const DWORD kSectionHeaderBytes = 48;

WORD Get16(const BYTE* p)
{
    return (WORD)((p[0] << 8) | p[1]);
}

DWORD Get32(const BYTE* p)
{
    return ((DWORD)p[0] << 24) | ((DWORD)p[1] << 16) | ((DWORD)p[2] << 8) | p[3];
}

CoffFileHeader ParseFileHeader(const BYTE* p)
{
    CoffFileHeader header;
    header.magic = Get16(p);
    header.sectionCount = Get16(p + 2);
    header.timeStamp = Get32(p + 4);
    header.symbolTableOffset = Get32(p + 8);
    header.symbolCount = Get32(p + 12);
    header.optHeaderSize = Get16(p + 16);
    header.flags = Get16(p + 18);
    return header;
}

CoffOptHeader ParseOptHeader(const BYTE* p)
{
    CoffOptHeader opt;
    opt.magic = Get16(p);
    opt.version = Get16(p + 2);
    opt.word4 = Get32(p + 4);
    opt.word8 = Get32(p + 8);
    opt.register23Start = Get32(p + 12);
    opt.word16 = Get32(p + 16);
    opt.entryAddress = Get32(p + 20);
    opt.register22Start = Get32(p + 24);
    opt.register24Start = Get32(p + 28);
    return opt;
}

void ParseSection(const BYTE* p, CoffSection& section)
{
    memcpy(section.name, p, sizeof section.name);
    section.physicalAddress = Get32(p + 16);
    section.virtualAddress = Get32(p + 20);
    section.size = Get32(p + 24);
    section.rawDataOffset = Get32(p + 28);
    section.relocationOffset = Get32(p + 32);
    section.lineNumberOffset = Get32(p + 36);
    section.relocationCount = Get16(p + 40);
    section.lineNumberCount = Get16(p + 42);
    section.flags = Get32(p + 44);
}

}  // namespace

BOOL ReadCoffImageHeaders(const BYTE* image, DWORD size, CoffFileHeader& header, CoffOptHeader& opt,
                          std::unique_ptr<CoffSection[]>& sections)
{
    if (!image || size < kFileHeaderBytes + kOptHeaderBytes)
        return FALSE;
    CoffFileHeader read = ParseFileHeader(image);
    if (read.magic != kCoffMagic || read.optHeaderSize != kCoffOptHeaderSize)
        return FALSE;
    const DWORD table = kFileHeaderBytes + kOptHeaderBytes;
    if ((uint64_t)table + (uint64_t)read.sectionCount * kSectionHeaderBytes > size)
        return FALSE;
    std::unique_ptr<CoffSection[]> readSections;
    if (read.sectionCount != 0) {
        readSections.reset(new (std::nothrow) CoffSection[read.sectionCount]);
        if (!readSections)
            return FALSE;
        for (WORD i = 0; i < read.sectionCount; ++i)
            ParseSection(image + table + i * kSectionHeaderBytes, readSections[i]);
    }
    sections = std::move(readSections);
    header = read;
    opt = ParseOptHeader(image + kFileHeaderBytes);
    return TRUE;
}
