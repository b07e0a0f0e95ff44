#include "coff/CoffImage.h"

#include <cstdint>
#include <cstring>
#include <new>
#include <utility>

#include "platform/base/ByteOrder.h"
namespace {

const DWORD kFileHeaderBytes = 20;
const DWORD kOptHeaderBytes = 32;
const DWORD kSectionHeaderBytes = 48;

CoffFileHeader ParseFileHeader(const BYTE* p)
{
    CoffFileHeader header;
    header.magic = GetBigEndian16(p);
    header.sectionCount = GetBigEndian16(p + 2);
    header.timeStamp = GetBigEndian32(p + 4);
    header.symbolTableOffset = GetBigEndian32(p + 8);
    header.symbolCount = GetBigEndian32(p + 12);
    header.optHeaderSize = GetBigEndian16(p + 16);
    header.flags = GetBigEndian16(p + 18);
    return header;
}

CoffOptHeader ParseOptHeader(const BYTE* p)
{
    CoffOptHeader opt;
    opt.magic = GetBigEndian16(p);
    opt.version = GetBigEndian16(p + 2);
    opt.word4 = GetBigEndian32(p + 4);
    opt.word8 = GetBigEndian32(p + 8);
    opt.register23Start = GetBigEndian32(p + 12);
    opt.word16 = GetBigEndian32(p + 16);
    opt.entryAddress = GetBigEndian32(p + 20);
    opt.register22Start = GetBigEndian32(p + 24);
    opt.register24Start = GetBigEndian32(p + 28);
    return opt;
}

void ParseSection(const BYTE* p, CoffSection& section)
{
    memcpy(section.name, p, sizeof section.name);
    section.physicalAddress = GetBigEndian32(p + 16);
    section.virtualAddress = GetBigEndian32(p + 20);
    section.size = GetBigEndian32(p + 24);
    section.rawDataOffset = GetBigEndian32(p + 28);
    section.relocationOffset = GetBigEndian32(p + 32);
    section.lineNumberOffset = GetBigEndian32(p + 36);
    section.relocationCount = GetBigEndian16(p + 40);
    section.lineNumberCount = GetBigEndian16(p + 42);
    section.flags = GetBigEndian32(p + 44);
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
