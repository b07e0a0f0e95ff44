// Writes the seed corpus of the .hye fuzz targets (tests/fuzz/hye/) with the test generator:
// good files of several shapes and a few broken ones. Run: coff_fuzz_seeds FOLDER
#include <cstdio>
#include <string>

#include "tests/support/HyeWriter.h"

namespace {

bool Save(const std::string& folder, const char* name, const std::string& bytes)
{
    FILE* out = fopen((folder + "/" + name).c_str(), "wb");
    bool written = out && fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return out && fclose(out) == 0 && written;
}

CHyeWriter Program()
{
    CHyeWriter writer;
    int code = writer.AddSection("code", 0x8000, 0x400, false);
    writer.AddSection("data", 0x40000000, 0x100, false);
    writer.SourceFile("/cygdrive/c/src/", 0);
    writer.SourceFile("main.c", 0x8000);
    writer.Global("buffer:G7=ar1;0;15;2", 0x40000000);
    writer.Function("main:F1", 0x8000);
    writer.Local("argc:p1", 4);
    writer.BlockStart(0x8010);
    writer.Local("i:1", 8);
    writer.BlockStart(0x8014);
    writer.Local("j:1", 12);
    writer.BlockEnd(0x8018);
    writer.BlockEnd(0x8020);
    writer.CodeSymbol("taskMain", 0x8000);
    writer.SourceFile("util.c", 0x8100);
    writer.Function("helper:f1", 0x8100);
    writer.CodeSymbol("a_task_with_a_long_name", 0x8100);
    writer.SourceFile("main.c", 0x8200);
    writer.Function("late:F1", 0x8200);
    for (uint32_t address : {0x8000u, 0x8010u, 0x8008u, 0x8100u, 0x8010u, 0x8200u, 0x8004u})
        writer.AddLine(code, address, (uint16_t)(address & 0xFF));
    return writer;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    std::string folder = argv[1];
    bool ok = Save(folder, "program.hye", Program().Build());

    CHyeWriter bad = Program();
    bad.Function("deep:F1", 0x8300);
    for (int i = 0; i < 66; ++i)
        bad.BlockStart(0x8300 + i);
    for (int i = 0; i < 68; ++i)
        bad.BlockEnd(0x8380 - i);
    bad.AddStab('N', 0x44, "", 0x8300);
    bad.AddRawEntry({0, 'Q', 0, 0x24});
    bad.AddStabAt('S', 0x20, 0x7FFFFFF0, 0);
    bad.Global(std::string(4200, 'L') + ":G1", 0);
    ok &= Save(folder, "bad_structure.hye", bad.Build());

    CHyeWriter noSections;
    noSections.SourceFile("a.c", 0);
    noSections.Function("f:F1", 0);
    ok &= Save(folder, "no_sections.hye", noSections.Build());

    CHyeWriter many;
    for (int i = 0; i < 40; ++i)
        many.AddSection("s" + std::to_string(i), 0x1000u * i, 0x10, i % 2 == 0);
    ok &= Save(folder, "many_sections.hye", many.Build());

    std::string program = Program().Build();
    ok &= Save(folder, "truncated_symbols.hye", program.substr(0, Program().SymbolTableOffset() + 40));
    ok &= Save(folder, "truncated_headers.hye", program.substr(0, 60));
    CHyeWriter swapped = Program();
    swapped.m_magic = 0x7816;
    ok &= Save(folder, "little_endian.hye", swapped.Build());
    CHyeWriter lying = Program();
    lying.m_symbolCount = 0xFFFFFFFF;
    ok &= Save(folder, "symbol_count_lies.hye", lying.Build());
    return ok ? 0 : 1;
}
