#include <cstring>
#include <string>
#include <vector>

#include "tests/coff/CoffTestSupport.h"

namespace {

// A known program in one section from 0x8000 to 0x9000:
//   src\main.c   [0x8000, 0x8100)  main (F) with x, blocks with x inside; global buffer
//   src\util.c   [0x8100, 0x8200)  helper (f), shared (F); global limit; task taskA
//   other\UTIL.C [0x8200, 0x8300)
//   src\util.c   [0x8300, 0x8400)  a second record of the same path
//   tail.c       [0x8400, 0x9000)
class StabsQueryTest : public CoffTest {
protected:
    void SetUp() override
    {
        CoffTest::SetUp();
        CHyeWriter writer;
        int code = writer.AddSection("code", 0x8000, 0x1000, false);
        writer.SourceFile("src/", 0);
        writer.SourceFile("main.c", 0x8000);
        writer.Global("buffer:G7", 0x8800);
        writer.Function("main:F1", 0x8000);
        writer.Local("x:r2", 0x8030);
        writer.BlockStart(0x8010);
        writer.Local("x:1", 0x1);
        writer.BlockStart(0x8014);
        writer.Local("x:1", 0x2);
        writer.BlockEnd(0x8018);
        writer.BlockEnd(0x8020);
        writer.CodeSymbol("taskZ", 0x9100);
        writer.CodeSymbol("taskY", 0x9000);
        writer.CodeSymbol("early", 5);
        writer.SourceFile("util.c", 0x8100);
        writer.Global("limit:G1", 0x40);
        writer.Function("helper:f1", 0x8100);
        writer.Function("shared:F1", 0x8180);
        writer.Local("a_very_long_local_name:1", 0x8190);
        writer.CodeSymbol("taskA", 0x9200);
        writer.SourceFile("/other/UTIL.C", 0x8200);
        writer.SourceFile("util.c", 0x8300);
        writer.SourceFile("tail.c", 0x8400);
        const std::pair<DWORD, WORD> lines[] = {
            {0x8004, 10}, {0x8010, 12}, {0x8020, 15}, {0x8100, 10}, {0x8110, 12},
            {0x8120, 10}, {0x8200, 10}, {0x8300, 30}, {0x8400, 0},  {0x8410, 40},
        };
        for (const auto& [address, line] : lines)
            writer.AddLine(code, address, line);
        ASSERT_EQ(1, Load(writer));
    }
};

TEST_F(StabsQueryTest, AddressesGiveTheirFileAndLine)
{
    struct Case {
        DWORD address;
        const char* path;
        WORD line;
    };
    const Case cases[] = {
        {0x8000, "src\\main.c", 0},                                    // in the file, before its first entry
        {0x8004, "src\\main.c", 10},     {0x800F, "src\\main.c", 10},  // between entries: the one below
        {0x8010, "src\\main.c", 12},     {0x80FF, "src\\main.c", 15},  // behind the last entry
        {0x8200, "\\other\\UTIL.C", 10}, {0x8FFF, "src\\tail.c", 40}, {0x7FFF, "UNKNOWN", 0},  // below every file
        {0x9000, "UNKNOWN", 0},  // clipped off at the section's end
    };
    for (const Case& c : cases) {
        char path[64];
        EXPECT_EQ(c.line, FileAndLineForAddress(c.address, path, sizeof path)) << std::hex << c.address;
        EXPECT_STREQ(c.path, path) << std::hex << c.address;
    }
    char small[5] = "####";
    EXPECT_EQ(12, FileAndLineForAddress(0x8010, small, sizeof small));
    EXPECT_STREQ("src\\", small) << "bounded by the capacity and terminated";
    EXPECT_EQ(12, FileAndLineForAddress(0x8010, NULL, 0));
}

TEST_F(StabsQueryTest, AddressesGiveTheNamesOfGlobalsAndFunctionLevelSymbols)
{
    struct Case {
        DWORD taskBase;
        DWORD address;
        const char* name;  // NULL: no name
    };
    const Case cases[] = {
        {0, 0x8800, "buffer"},
        {0, 0x8030, "x"},                 // function level
        {0, 0x8190, "a_very_long_loca"},  // 16 characters at most
        {0, 0x8000, NULL},                // function names are not looked at
        {0, 0x9000, NULL},
        {0, 0x7FFF, "SysTask"},  // below 0x8000
        {0, 0x40007FFF, "SysTask"},
        {0, 0x40008000, NULL},
        {0x40000000, 0x40000010, "SysTask"},  // the task area comes first
        {0x40000000, 0x8800, "buffer"},
        {0x40000000, 0x10, "SysTask"},
        {0x8800, 0x8800, "SysTask"},  // even over a symbol
    };
    for (const Case& c : cases) {
        theStabsTaskBase = c.taskBase;
        char out[32];
        memset(out, '#', sizeof out);
        const char* name = NameForAddress(out, sizeof out, c.address);
        if (!c.name) {
            EXPECT_EQ(nullptr, name) << std::hex << c.address;
            EXPECT_EQ('#', out[0]) << "untouched";
            continue;
        }
        ASSERT_NE(nullptr, name) << std::hex << c.address;
        EXPECT_STREQ(c.name, out) << std::hex << c.address;
    }
    char tiny[4];
    theStabsTaskBase = 0;
    EXPECT_STREQ("buffer", NameForAddress(tiny, sizeof tiny, 0x8800));
    EXPECT_STREQ("buf", tiny);
}

TEST_F(StabsQueryTest, TheTaskListStartsWithTheFixedTasksAndSortsStably)
{
    // The two records of src\util.c share its task list, so taskA is listed twice.
    ASSERT_EQ(11, GetTaskCount());
    std::vector<StabsTaskEntry> tasks(11);
    for (StabsTaskEntry& task : tasks)
        task.zero = 0xDEAD;
    BuildTaskList(tasks.data(), (int)tasks.size());
    std::vector<std::pair<DWORD, std::string>> listed;
    for (const StabsTaskEntry& task : tasks) {
        listed.emplace_back(task.id, task.name);
        EXPECT_EQ(0u, task.zero);
    }
    const std::vector<std::pair<DWORD, std::string>> expected = {
        {1, "Realtime Kernel"}, {2, "Idle"},    {3, "Floatingpoint Instr"}, {4, "Malloc"},     {5, "Free"},
        {5, "early"},           {6, "SysTask"}, {0x9000, "taskY"},          {0x9100, "taskZ"}, {0x9200, "taskA"},
        {0x9200, "taskA"}};
    EXPECT_EQ(expected, listed);

    StabsTaskEntry few[3] = {};
    StabsTaskEntry guard = {0xFEED, NULL, 0, 0};
    few[2] = guard;
    BuildTaskList(few, 2);
    EXPECT_EQ(1u, few[0].id);
    EXPECT_EQ(2u, few[1].id);
    EXPECT_EQ(0xFEEDu, few[2].id) << "nothing beyond the caller's count";

    StabsTaskEntry high = {0xFFFFFFFF, "", 0, 0}, low = {1, "", 0, 0};
    EXPECT_EQ(1, CompareTaskIds(&high, &low)) << "ids compare unsigned";
}

TEST_F(StabsQueryTest, TaskLinesRunToTheLastRecordOfTheTasksPath)
{
    // taskA's file is src\util.c; its records and the one between them are searched, tail.c not.
    EXPECT_EQ(5, CountLinesInRange("taskA", 0, 0xFFFFFFFF));
    EXPECT_EQ(2, CountLinesInRange("taskA", 0x8110, 0x8200));
    EXPECT_EQ(0, CountLinesInRange("nobody", 0, 0xFFFFFFFF));
    // taskY's file has no later record of its path: to the end of the list.
    EXPECT_EQ(10, CountLinesInRange("taskY", 0, 0xFFFFFFFF));

    StabsLineRange ranges[3];
    memset(ranges, 0xAB, sizeof ranges);
    EXPECT_EQ(2, ListLinesInRange("taskA", ranges, 2, 0x8100, 0x8400));
    EXPECT_EQ(0x8100u, ranges[0].address);
    EXPECT_EQ(10u, ranges[0].line);
    EXPECT_EQ(0u, ranges[0].zero);
    EXPECT_EQ(0x8110u, ranges[1].address);
    EXPECT_EQ(0xABABABABu, ranges[2].address) << "bounded by the capacity";
}

TEST_F(StabsQueryTest, LineQueriesRememberWhatTheyFound)
{
    EXPECT_EQ(0u, AddressForLine("util.c", 0xFFFF)) << "nothing found yet";
    theLineQueryLine = theLineQueryAddress = 0;
    EXPECT_EQ(0u, AddressForLine("util.c", 0));
    EXPECT_EQ(0x8400u, AddressForLine("tail.c", 0)) << "with no line remembered: line 0";
    EXPECT_EQ(0u, AddressForLine("tail.c", 0)) << "and then the next line-0 entry";

    EXPECT_EQ(0x8100u, AddressForLine("C:\\elsewhere\\Util.C", 10)) << "base name, any case";
    EXPECT_EQ(0x8110u, AddressForLine("util.c", 0xFFFF)) << "the line ends at the next entry";
    EXPECT_EQ(0x8120u, AddressForLine("util.c", 0)) << "a repeat passes the address found last";
    EXPECT_EQ(0x8100u, AddressForLine("util.c", 0));
    EXPECT_EQ(0x8300u, AddressForLine("util.c", 30));
    EXPECT_EQ(0x8400u, AddressForLine("util.c", 0xFFFF)) << "the last entry ends with its file";

    EXPECT_EQ(0u, AddressForLine("util.c", 99));
    EXPECT_EQ(0u, theLineQueryLine);
    EXPECT_EQ(0u, AddressForLine("util.c", 0));
    EXPECT_EQ(0x8400u, AddressForLine("util.c", 0xFFFF)) << "the entry found last stays";

    EXPECT_EQ(0x8100u, FirstAddressOfLine("UTIL.c", 10));
    EXPECT_EQ(0u, FirstAddressOfLine("util.c", 30)) << "only the first file of that name";
    EXPECT_EQ(0x8004u, FirstAddressOfLine("main.c", 10));
    EXPECT_EQ(0x8400u, AddressForLine("util.c", 0xFFFF)) << "FirstAddressOfLine keeps the state";

    FreeReaderMemory();
    EXPECT_EQ(0u, AddressForLine("util.c", 0xFFFF)) << "no entry survives the tables";
}

TEST_F(StabsQueryTest, SymbolsAreFoundInTheInnermostScopeFirst)
{
    StabsFunction* functions = theStabsFiles->functions;
    struct Case {
        DWORD address;
        DWORD value;  // of the x found
    };
    for (const Case& c : {Case{0x8016, 2}, Case{0x8018, 2}, Case{0x8012, 1}, Case{0x8020, 1}, Case{0x8030, 0x8030}}) {
        StabsSymbol* x = FindSymbolInFunctions("x", c.address, functions);
        ASSERT_NE(nullptr, x) << std::hex << c.address;
        EXPECT_EQ(c.value, x->value) << std::hex << c.address;
    }
    EXPECT_EQ(nullptr, FindSymbolInFunctions("x", 0x8100, functions));
    EXPECT_EQ(nullptr, FindSymbolInList("X", functions->symbols)) << "names compare exactly";

    StabsFile* file = NULL;
    StabsSymbol* limit = FindSymbol("limit", 0x8010, &file);
    ASSERT_NE(nullptr, limit);
    EXPECT_STREQ("src\\util.c", file->path) << "found among the globals of a later file";
    StabsSymbol* x = FindSymbol("x", 0x8016, &file);
    ASSERT_NE(nullptr, x);
    EXPECT_EQ(2u, x->value);
    EXPECT_STREQ("src\\main.c", file->path);
    EXPECT_EQ(nullptr, FindSymbol("x", 0x9500, NULL)) << "locals only in the scope of the address";

    EXPECT_EQ(0x40u, GetSymbolValue("limit"));
    EXPECT_EQ(0x8800u, GetSymbolValue("buffer"));
    EXPECT_EQ(0u, GetSymbolValue("nothing"));

    EXPECT_EQ(0x8100u, GetFunctionAddress("helper", 0x8105)) << "any function of the file";
    EXPECT_EQ(0x8100u, GetFunctionAddress("helper", 0x8305)) << "through the shared list";
    EXPECT_EQ(0u, GetFunctionAddress("helper", 0x8000)) << "elsewhere only global functions";
    EXPECT_EQ(0x8180u, GetFunctionAddress("shared", 0));
    EXPECT_EQ(0x8000u, GetFunctionAddress("main", 0x8150));
}

}  // namespace
