#include <cstdlib>
#include <cstring>
#include <memory>

#include "tests/image/ImageTestSupport.h"

namespace {

std::string Golden(const char* name)
{
    return CTempFolder::Read(std::string(QUILLET_SOURCE_DIR) + "/tests/image/data/" + name);
}

std::unique_ptr<BYTE[]> FilledImage(size_t length, BYTE value)
{
    std::unique_ptr<BYTE[]> image(new BYTE[length]);
    memset(image.get(), value, length);
    return image;
}

class IntelHexWriterTest : public ::testing::Test {
protected:
    // Writes the image and returns the file's bytes.
    std::string Write(std::unique_ptr<BYTE[]> image, DWORD length, int fill)
    {
        std::string path = m_folder / "out.hex";
        EXPECT_TRUE(m_store.WriteFile(path.c_str(), std::move(image), length, fill));
        return CTempFolder::Read(path);
    }

    CTempFolder m_folder;
    CScriptedUi m_ui;
    CIntelHex m_store;
};

TEST_F(IntelHexWriterTest, LinesOfFillOnlyAreLeftOut)
{
    EXPECT_EQ(Write(FilledImage(0x20, 0xFF), 0x20, 0xFF), Golden("all_fill.hex"));
    EXPECT_EQ(Write(FilledImage(0x20, 0xFF), 0x20, -1), Golden("fill_minus1.hex"));
    EXPECT_EQ(Write(nullptr, 0, 0xFF), ":00000001FF\r\n");
}

TEST_F(IntelHexWriterTest, SkippedSegmentGetsNoAddressRecord)
{
    std::unique_ptr<BYTE[]> image = FilledImage(0x30000, 0xFF);
    image[0x15] = 0;
    memcpy(image.get() + 0x20000, "\x01\x02\x03\x04", 4);
    EXPECT_EQ(Write(std::move(image), 0x30000, 0xFF), Golden("skipped_segment.hex"));
}

TEST_F(IntelHexWriterTest, AddressFieldWrapsAndTheLastLineIsShort)
{
    std::unique_ptr<BYTE[]> image(new BYTE[0x10005]);
    for (int i = 0; i < 0x10005; ++i)
        image[i] = (BYTE)(i * 7 + 3);
    EXPECT_TRUE(Write(std::move(image), 0x10005, 0xFF) == Golden("bytes_10005.hex"));
}

TEST_F(IntelHexWriterTest, FileThatCannotBeCreatedIsReported)
{
    std::string path = m_folder / "no/such/folder.hex";
    m_ui.ExpectMessage("Unable to create buffer file\n" + path + ": No such file or directory", MB_OK, IDOK);
    setenv("QUILLET_DEBUG", "1", 1);
    testing::internal::CaptureStderr();
    BOOL written = m_store.WriteFile(path.c_str(), FilledImage(16, 0), 16, 0xFF);
    std::string debug = testing::internal::GetCapturedStderr();
    unsetenv("QUILLET_DEBUG");

    EXPECT_FALSE(written);
    EXPECT_EQ(debug, "File could not be created 2\n");
}

TEST_F(IntelHexWriterTest, FailedWriteIsReportedNotTakenForSuccess)
{
    // Every write to /dev/full fails with "no space left on device".
    const char* full = "Unable to create buffer file\n/dev/full: No space left on device";
    m_ui.ExpectMessage(full, MB_OK, IDOK).ExpectMessage(full, MB_OK, IDOK);
    EXPECT_FALSE(m_store.WriteFile("/dev/full", FilledImage(0x40000, 0x12), 0x40000, 0xFF));
    EXPECT_FALSE(m_store.WriteFile("/dev/full", FilledImage(16, 0x12), 16, 0xFF))
        << "a short file fails when it is closed";
}

}  // namespace
