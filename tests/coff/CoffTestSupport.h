// What the reader tests share: a fixture that starts and ends with an empty reader state, and
// opens generated files as the C runtime streams the reader works on.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "coff/CoffReader.h"
#include "coff/PoolAlloc.h"
#include "coff/StabsQueries.h"
#include "coff/StabsTable.h"
#include "tests/support/HyeWriter.h"
#include "tests/support/TempFolder.h"

class CoffTest : public ::testing::Test {
protected:
    void SetUp() override { FreeReaderMemory(); }
    void TearDown() override
    {
        for (FILE* stream : m_streams)
            fclose(stream);
        FreeReaderMemory();
        theStabsTaskBase = 0;
    }

    // `bytes` as a file opened for reading raw bytes; closed when the test ends.
    FILE* Open(const std::string& bytes)
    {
        std::string path = m_folder.Write("f" + std::to_string(m_streams.size()) + ".hye", bytes);
        FILE* stream = fopen(path.c_str(), "rb");
        EXPECT_NE(stream, nullptr);
        m_streams.push_back(stream);
        return stream;
    }

    // Headers, STABS and every section's line numbers, as a user of the tables reads a file;
    // the result of LoadStabs.
    int Load(const CHyeWriter& writer)
    {
        FILE* stream = Open(writer.Build());
        EXPECT_EQ(kCoffOk, ReadCoffHeaders(stream));
        int loaded = LoadStabs(stream);
        for (WORD i = 0; i < theCoffHeader.sectionCount; ++i)
            ReadLineNumbers(stream, &theCoffSections[i]);
        return loaded;
    }

    // The reader state after FreeReaderMemory and a Load, and the diagnostics it printed.
    std::string LoadCapturingDiagnostics(const CHyeWriter& writer, int* loaded = NULL)
    {
        ::testing::internal::CaptureStderr();
        int result = Load(writer);
        if (loaded)
            *loaded = result;
        return ::testing::internal::GetCapturedStderr();
    }

    CTempFolder m_folder;
    std::vector<FILE*> m_streams;
};

template <typename Node>
std::vector<std::string> Names(const Node* list)
{
    std::vector<std::string> names;
    for (; list; list = list->next)
        names.push_back(list->name ? list->name : "(null)");
    return names;
}

inline std::vector<std::pair<DWORD, WORD>> Lines(const StabsFile* file)
{
    std::vector<std::pair<DWORD, WORD>> lines;
    for (const StabsLine* entry = file ? file->lines : NULL; entry; entry = entry->next)
        lines.emplace_back(entry->address, entry->line);
    return lines;
}

inline std::vector<std::string> Paths()
{
    std::vector<std::string> paths;
    for (const StabsFile* file = theStabsFiles; file; file = file->next)
        paths.push_back(file->path);
    return paths;
}
