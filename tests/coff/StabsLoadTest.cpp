#include <string>
#include <vector>

#include "tests/coff/CoffTestSupport.h"

namespace {

using StabsLoadTest = CoffTest;
using Strings = std::vector<std::string>;
using LineList = std::vector<std::pair<DWORD, WORD>>;

// A program whose code lies in one section from 0 to 0x1000, with one source file at 0.
CHyeWriter Program(const char* source = "s.c")
{
    CHyeWriter writer;
    writer.AddSection("code", 0, 0x1000, false);
    if (source)
        writer.SourceFile(source, 0);
    return writer;
}

StabsFile* FileAt(int index)
{
    StabsFile* file = theStabsFiles;
    while (file && index-- > 0)
        file = file->next;
    return file;
}

template <typename T>
T* TailOf(T* list)
{
    while (list && list->next)
        list = list->next;
    return list;
}

TEST_F(StabsLoadTest, SourceFilesTakeTheDirectoryBeforeThemAndKeepStartOrder)
{
    CHyeWriter writer = Program(NULL);
    writer.SourceFile("dir/sub/", 0);
    writer.SourceFile("a.c", 0x300);
    writer.SourceFile("C:\\x\\b.c", 0x100);
    writer.SourceFile("/abs/c.c", 0x200);
    writer.SourceFile("rel/d.c", 0x2000);  // beyond every section
    ASSERT_EQ(1, Load(writer));
    EXPECT_EQ(Strings({"C:\\x\\b.c", "\\abs\\c.c", "dir\\sub\\a.c", "dir\\sub\\rel\\d.c"}), Paths());
    EXPECT_EQ(0x200u, FileAt(0)->end) << "a file ends where the next begins";
    EXPECT_EQ(0x1000u, FileAt(2)->end) << "clipped to the end of its section";
    EXPECT_EQ(0xFFFFFFFFu, FileAt(3)->end) << "a file in no section keeps its end";
}

TEST_F(StabsLoadTest, FunctionsBlocksAndTheirSymbolsLandInTheirScopes)
{
    CHyeWriter writer = Program("m.c");
    writer.Global("counter:G1", 0x900);
    writer.Local("early:t5=ar1", 0);  // before any function: a global
    writer.Function("main:F1", 0x100);
    writer.AddStab('S', 0x40, "x:r2", 2);
    writer.BlockStart(0x104);
    writer.Local("y:1", 8);
    writer.BlockStart(0x108);
    writer.Local("z:1", 12);
    writer.BlockEnd(0x110);
    writer.BlockStart(0x112);
    writer.BlockEnd(0x114);
    writer.BlockEnd(0x120);
    writer.BlockStart(0x124);
    writer.BlockEnd(0x128);
    writer.Local("w", 16);  // no ':' at all: still the function's own
    writer.Global("late:G1", 0x904);
    writer.Function("helper:f1", 0x200);
    ASSERT_EQ(1, Load(writer));

    StabsFile* file = theStabsFiles;
    EXPECT_EQ(Strings({"late", "early", "counter"}), Names(file->globals)) << "newest first";
    StabsSymbol* early = file->globals->next;
    EXPECT_EQ('t', early->descriptor);
    EXPECT_EQ(5, early->typeNumber);
    EXPECT_STREQ("ar1", early->typeDef);

    StabsFunction* main = file->functions;
    EXPECT_STREQ("main", main->symbol->name);
    EXPECT_EQ(0x100u, main->start);
    EXPECT_EQ(0x200u, main->end);
    EXPECT_EQ(Strings({"x", "w"}), Names(main->symbols));
    EXPECT_EQ('r', main->symbols->descriptor);
    StabsBlock* outer = main->blocks;
    EXPECT_EQ(0x104u, outer->start);
    EXPECT_EQ(0x120u, outer->end);
    EXPECT_EQ(Strings({"y"}), Names(outer->symbols));
    EXPECT_EQ(Strings({"z"}), Names(outer->child->symbols));
    ASSERT_NE(nullptr, outer->child->sibling);
    EXPECT_EQ(0x112u, outer->child->sibling->start);
    ASSERT_NE(nullptr, outer->sibling);
    EXPECT_EQ(0x124u, outer->sibling->start);
    EXPECT_EQ(0xFFFFFFFFu, main->next->end) << "the last file's last function keeps its open end";
}

TEST_F(StabsLoadTest, BlocksStayWithTheOpenFunctionWhenTheSourceFileRecordChanges)
{
    for (bool included : {true, false}) {
        FreeReaderMemory();
        CHyeWriter writer = Program("m.c");
        writer.Function("main:F1", 0x100);
        writer.BlockStart(0x104);
        if (included)
            writer.IncludedFile("inc.h", 0x108);
        else
            writer.SourceFile("m.c", 0x108);
        writer.BlockStart(0x108);
        writer.Local("i", 4);  // no ':': the block's, not the new record's
        writer.BlockEnd(0x10C);
        writer.BlockEnd(0x120);
        EXPECT_EQ("", LoadCapturingDiagnostics(writer)) << included;
        StabsBlock* outer = theStabsFiles->functions->blocks;
        ASSERT_NE(nullptr, outer) << included;
        EXPECT_EQ(0x120u, outer->end) << included;
        ASSERT_NE(nullptr, outer->child) << included;
        EXPECT_EQ(0x108u, outer->child->start) << included;
        EXPECT_EQ(0x10Cu, outer->child->end) << included;
        EXPECT_EQ(Strings({"i"}), Names(outer->child->symbols)) << included;
    }
}

TEST_F(StabsLoadTest, TooDeepNestingIsRecordedToTheStacksDepth)
{
    CHyeWriter writer = Program();
    writer.Function("f:F1", 0x10);
    for (int i = 0; i < 70; ++i)
        writer.BlockStart(0x10 + i);
    writer.Local("deep:1", 0);
    for (int i = 0; i < 70; ++i)
        writer.BlockEnd(0x200 - i);
    writer.Local("outside:1", 0);
    ASSERT_EQ(1, Load(writer));
    StabsFunction* function = theStabsFiles->functions;
    int depth = 0;
    StabsBlock* innermost = NULL;
    for (StabsBlock* block = function->blocks; block; block = block->child, ++depth)
        innermost = block;
    EXPECT_EQ(kStabsBlockDepth, depth);
    EXPECT_EQ(Strings({"deep"}), Names(innermost->symbols));
    EXPECT_EQ(0x200u - 6, innermost->end) << "the six unrecorded ends close nothing";
    EXPECT_EQ(0x200u - 69, function->blocks->end);
    EXPECT_EQ(Strings({"outside"}), Names(function->symbols));
}

TEST_F(StabsLoadTest, CodeSymbolsAndRecordsOfOnePath)
{
    CHyeWriter writer = Program(NULL);
    writer.CodeSymbol("orphan", 0x50);  // no source file yet
    writer.SourceFile("lib.c", 0x100);
    writer.Function("f:F1", 0x100);
    writer.CodeSymbol("t1", 0x100);
    writer.CodeSymbol("alias", 0x100);           // the same value again
    writer.AddSymbol("data", 0x200, 2, 0x22);    // storage class without bit 0
    writer.AddSymbol("object", 0x200, 3, 0x04);  // type without bit 1
    writer.SourceFile("hdr.h", 0x180);
    writer.Global("g:G1", 0x800);
    writer.SourceFile("lib.c", 0x200);
    writer.Function("g:F1", 0x200);
    writer.CodeSymbol("a_long_task_name", 0x200);
    writer.Global("v:G1", 0x804);
    writer.SourceFile("lib.c", 0x280);  // a third record with nothing of its own
    writer.AddLine(0, 0x100, 1);
    writer.AddLine(0, 0x200, 2);
    ASSERT_EQ(1, Load(writer));

    StabsFile* first = FileAt(0);
    EXPECT_EQ(Strings({"t1", "a_long_task_name"}), Names(first->codeSymbols));
    EXPECT_EQ(Strings({"v"}), Names(first->globals));
    EXPECT_EQ(first->functions->next->start, 0x200u) << "both files' functions in one list";
    for (int other : {2, 3}) {
        EXPECT_EQ(first->functions, FileAt(other)->functions) << other;
        EXPECT_EQ(first->codeSymbols, FileAt(other)->codeSymbols) << other;
        EXPECT_EQ(first->globals, FileAt(other)->globals) << other;
    }
    EXPECT_EQ(LineList({{0x100, 1}}), Lines(first)) << "each record keeps its own lines";
    EXPECT_EQ(LineList({{0x200, 2}}), Lines(FileAt(2)));
}

TEST_F(StabsLoadTest, LineEntriesAreKeptInAddressOrderAndNoneIsLostOnReturn)
{
    CHyeWriter writer;
    int code = writer.AddSection("code", 0x100, 0x1000, false);
    int other = writer.AddSection("other", 0x2000, 0x100, false);
    writer.SourceFile("a.c", 0x100);
    writer.SourceFile("b.c", 0x400);
    const std::pair<DWORD, WORD> entries[] = {
        {0x080, 1},                             // below every file: dropped
        {0x100, 10}, {0x140, 14}, {0x120, 12},  // out of order: inserted
        {0x140, 13}, {0x120, 15},               // same address: the larger line wins
        {0x400, 40}, {0x410, 41},               // into b.c
        {0x110, 11}, {0x130, 13}, {0x150, 16},  // back to a.c: merged in
    };
    for (const auto& [address, line] : entries)
        writer.AddLine(code, address, line);
    ASSERT_EQ(1, Load(writer));
    EXPECT_EQ(LineList({{0x100, 10}, {0x110, 11}, {0x120, 15}, {0x130, 13}, {0x140, 14}, {0x150, 16}}),
              Lines(FileAt(0)));
    EXPECT_EQ(LineList({{0x400, 40}, {0x410, 41}}), Lines(FileAt(1)));
    EXPECT_EQ(0, ReadLineNumbers(m_streams.back(), &theCoffSections[other])) << "no entries";
}

TEST_F(StabsLoadTest, BadStructureIsReportedAndLoadingGoesOn)
{
    struct Case {
        const char* name;
        void (*build)(CHyeWriter&);
        const char* diagnostics;
    };
    const Case cases[] = {
        {"block end without block",
         [](CHyeWriter& w) {
             w.Function("f:F1", 0x10);
             w.BlockEnd(0x20);
         },
         "unknown index -1\n"},
        {"block before any function",
         [](CHyeWriter& w) {
             w.BlockStart(0x10);
             w.BlockEnd(0x20);
         },
         "Unknown block\nunknown index -1\n"},
        {"unclosed blocks",
         [](CHyeWriter& w) {
             w.Function("f:F1", 0x10);
             w.BlockStart(0x10);
             w.BlockStart(0x12);
         },
         ""},
        {"unknown stabn type", [](CHyeWriter& w) { w.AddStab('N', 0x44, "", 0x10); }, "unknown stabn type\n"},
        {"neither S nor N",
         [](CHyeWriter& w) {
             w.AddRawEntry({0, 'Q', 0, 0x24, 0, 0, 0, 0});
         },
         "unknown stab\n"},
        {"string beyond the file", [](CHyeWriter& w) { w.AddStabAt('S', 0x20, 0x7FFFFFF0, 0x10); }, ""},
        {"string longer than the window", [](CHyeWriter& w) { w.Global(std::string(5000, 'L') + ":G1", 0); }, ""},
    };
    for (const Case& c : cases) {
        FreeReaderMemory();
        CHyeWriter writer = Program();
        c.build(writer);
        writer.Function("after:F1", 0x800);
        writer.Local("kept:1", 4);
        writer.Global("last:G1", 0x900);
        int loaded = 0;
        EXPECT_EQ(c.diagnostics, LoadCapturingDiagnostics(writer, &loaded)) << c.name;
        EXPECT_EQ(1, loaded) << c.name;
        StabsFunction* after = TailOf(theStabsFiles->functions);
        ASSERT_NE(nullptr, after) << c.name;
        EXPECT_STREQ("after", after->symbol->name) << c.name;
        EXPECT_EQ(Strings({"kept"}), Names(after->symbols)) << c.name;
        EXPECT_STREQ("last", theStabsFiles->globals->name) << c.name;
    }
}

TEST_F(StabsLoadTest, MissingOrUnreadableTablesAreHarmless)
{
    EXPECT_EQ(0, Load(Program(NULL))) << "no symbol table";

    CHyeWriter lying = Program();
    lying.Local("short", 0);  // no ':' and no function: a global
    lying.m_symbolCount = 0xFFFFFFFF;
    FreeReaderMemory();
    EXPECT_EQ(1, Load(lying)) << "entries beyond the end of the file are not there";
    EXPECT_EQ(Strings({"short"}), Names(theStabsFiles->globals));

    CHyeWriter beyond = Program();
    beyond.m_symbolTableOffset = 0x40000000;
    FreeReaderMemory();
    EXPECT_EQ(1, Load(beyond));
    EXPECT_EQ(nullptr, theStabsFiles);

    CHyeWriter cut = Program();
    cut.Global("tail:G1", 0x10);
    std::string bytes = cut.Build();
    bytes.resize(bytes.size() - 3);  // the last string loses its NUL and a byte
    FreeReaderMemory();
    FILE* stream = Open(bytes);
    ASSERT_EQ(kCoffOk, ReadCoffHeaders(stream));
    EXPECT_EQ(1, LoadStabs(stream));
    EXPECT_EQ(Strings({"tail"}), Names(theStabsFiles->globals));
}

TEST_F(StabsLoadTest, ASecondLoadStartsFromFreshParseState)
{
    CHyeWriter first = Program("one.c");
    first.Function("f:F1", 0x10);
    first.BlockStart(0x10);  // left open
    first.CodeSymbol("task", 0x40);
    ASSERT_EQ(1, Load(first));

    FreeReaderMemory();
    CHyeWriter second = Program("two.c");
    second.CodeSymbol("same", 0x40);  // the value the first load ended with
    second.Function("g:F1", 0x20);
    second.BlockEnd(0x30);  // must not reach the first load's block
    second.Local("y:1", 0);
    EXPECT_EQ("unknown index -1\n", LoadCapturingDiagnostics(second));
    EXPECT_EQ(Strings({"two.c"}), Paths());
    EXPECT_EQ(Strings({"same"}), Names(theStabsFiles->codeSymbols));
    EXPECT_EQ(Strings({"y"}), Names(theStabsFiles->functions->symbols));
}

}  // namespace
