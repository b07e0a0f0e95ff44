// Cross-checks with two independent Intel HEX implementations. Where this reader departs from
// them on purpose, the test asserts the difference.
#include <cstdlib>
#include <cstring>
#include <memory>

#include "tests/image/ImageTestSupport.h"

namespace {

bool HaveTool(const char* tool)
{
    return system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

bool RunQuietly(const std::string& command)
{
    return system((command + " >/dev/null 2>&1").c_str()) == 0;
}

// A sparse test image: data across a 64 KiB boundary, a gap of whole segments, odd lengths.
std::string TestImage()
{
    std::string image(0x41003, '\xFF');
    for (int i = 0; i < 0x300; ++i)
        image[0xFF00 + i] = (char)(i * 13 + 1);
    for (int i = 0; i < 0x1003; ++i)
        image[0x40000 + i] = (char)(i ^ 0x5A);
    return image;
}

class IntelHexPeerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_image = TestImage();
        m_binary = m_folder.Write("image.bin", m_image);
    }
    // Reads `path` with our reader; the flat image with fill 0xFF, or "" when rejected.
    std::string OurImage(const std::string& path)
    {
        CIntelHex store;
        HexRecord* list = NULL;
        if (!store.ReadFile(path.c_str(), &list, 0))
            return "";
        std::unique_ptr<BYTE[]> image(store.BuildImage(0xFF, 0xFF));
        return std::string((const char*)image.get(), store.GetEndAddress(NULL));
    }
    std::string WriteOurs()
    {
        std::string path = (m_folder / "ours.hex");
        std::unique_ptr<BYTE[]> image(new BYTE[m_image.size()]);
        memcpy(image.get(), m_image.data(), m_image.size());
        EXPECT_TRUE(CIntelHex().WriteFile(path.c_str(), std::move(image), (DWORD)m_image.size(), 0xFF));
        return path;
    }

    CTempFolder m_folder;
    CScriptedUi m_ui;
    std::string m_image;
    std::string m_binary;
};

TEST_F(IntelHexPeerTest, FilesOfSrecCatReadIntoTheSameImage)
{
    if (!HaveTool("srec_cat"))
        GTEST_SKIP() << "srec_cat is not installed";
    std::string hex = (m_folder / "srec.hex");
    ASSERT_TRUE(RunQuietly("srec_cat " + m_binary + " -binary -o " + hex + " -intel"));
    EXPECT_TRUE(OurImage(hex) == m_image);
}

TEST_F(IntelHexPeerTest, FilesOfObjcopyDifferOnlyByTheStartAddressRecord)
{
    if (!HaveTool("objcopy"))
        GTEST_SKIP() << "objcopy is not installed";
    std::string hex = (m_folder / "objcopy.hex");
    ASSERT_TRUE(RunQuietly("objcopy -I binary -O ihex --set-start 0x100 " + m_binary + " " + hex));
    EXPECT_TRUE(OurImage(hex).empty()) << "a start address record rejects the whole file";
    std::string stripped = (m_folder / "stripped.hex");
    ASSERT_TRUE(RunQuietly("(grep -v -E '^:0400000[35]' " + hex + " > " + stripped + ")"));
    EXPECT_TRUE(OurImage(stripped) == m_image);
}

TEST_F(IntelHexPeerTest, OurFilesReadBackThroughBothPeers)
{
    std::string ours = WriteOurs();
    if (HaveTool("srec_cat")) {
        std::string out = (m_folder / "srec.bin");
        ASSERT_TRUE(RunQuietly("srec_cat " + ours + " -intel -fill 0xFF 0 " + std::to_string(m_image.size()) + " -o " +
                               out + " -binary"));
        EXPECT_TRUE(CTempFolder::Read(out) == m_image);
    }
    if (HaveTool("objcopy")) {
        std::string out = (m_folder / "objcopy.bin");
        ASSERT_TRUE(RunQuietly("objcopy -I ihex -O binary --gap-fill 0xFF " + ours + " " + out));
        // A binary file of objcopy starts at the lowest address given, and lines of fill
        // before the first data were left out.
        EXPECT_TRUE(CTempFolder::Read(out) == m_image.substr(0xFF00));
    }
}

TEST_F(IntelHexPeerTest, EndRecordHandlingDiffersFromSrecCat)
{
    if (!HaveTool("srec_cat"))
        GTEST_SKIP() << "srec_cat is not installed";
    const std::string data = ":0400100001020304E2\r\n";
    std::string badEnd = m_folder.Write("bad_end.hex", data + ":00000001EE\r\n");
    std::string noEnd = m_folder.Write("no_end.hex", data);
    std::string sink = " -intel -o " + (m_folder / "sink.bin") + " -binary";

    EXPECT_FALSE(OurImage(badEnd).empty()) << "we do not check the end record's checksum";
    EXPECT_FALSE(RunQuietly("srec_cat " + badEnd + sink)) << "srec_cat does";
    EXPECT_TRUE(OurImage(noEnd).empty()) << "we require the end record";
    EXPECT_TRUE(RunQuietly("srec_cat " + noEnd + sink)) << "srec_cat only warns";
}

}  // namespace
