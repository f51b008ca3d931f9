#include <gtest/gtest.h>

#include <filesystem>

#include "app/AppTestFolder.h"
#include "store/DictationDisplay.h"
#include "store/DictationNames.h"
#include "store/DictationRecord.h"
#include "store/TypingFile.h"

namespace typix {
namespace {

using apptest::exists;
using apptest::readBytes;
using apptest::TestFolder;
using apptest::writeBytes;

TEST(BaseNameTest, PackageAndTapeForms) {
    EXPECT_EQ(packageBaseName(12, 345), "dct00012-00345");
    EXPECT_EQ(packageBaseName(1234567, 0), "dct1234567-00000");
    EXPECT_EQ(tapeBaseName(7), "Tape 7");
    EXPECT_EQ(tapeBaseName(0), "Tape ");  // precision 0 prints no digit for zero
    EXPECT_EQ(listStatus(2, 11), "List 2 of 11");
}

TEST(PriorityByteTest, Boundaries) {
    EXPECT_STREQ(priorityFromByte(0x00), "Low");
    EXPECT_STREQ(priorityFromByte(0x21), "Low");
    EXPECT_STREQ(priorityFromByte(0x22), "Normal");
    EXPECT_STREQ(priorityFromByte(0x4B), "Normal");
    EXPECT_STREQ(priorityFromByte(0x4C), "High");
    EXPECT_STREQ(priorityFromByte(0xFF), "High");
}

TEST(DisplayTest, DateIsGmtInTheFixedForm) {
    EXPECT_EQ(formatDictationDate(0), "1970-01-01 00:00");
    EXPECT_EQ(formatDictationDate(1700000000), "2023-11-14 22:13");
    EXPECT_EQ(formatDictationDate(951782400), "2000-02-29 00:00");
}

TEST(DisplayTest, SenderPanelListsOnlyWhatIsSet) {
    TestFolder temp;
    DictationRecord record(temp.file("d.dat"));
    record.setSenderName("Dr Ada Quill");
    record.setSenderEmail("ada@example.com");
    record.setPhone("555 0100");
    record.setFax("555 0199");
    record.setAddress(1, "1 High Street");
    record.setAddress(3, "Lowtown");
    EXPECT_EQ(senderDetailsText(record),
              "Dr Ada Quill\r\nada@example.com\r\n[phone] 555 0100\r\n[fax] 555 0199"
              "\r\n1 High Street\r\nLowtown");
    record.setCompany("Quill & Co");
    record.setCell("07700");
    EXPECT_EQ(senderDetailsText(record),
              "Dr Ada Quill\r\nQuill & Co\r\nada@example.com\r\n[phone] 555 0100\r\n[cell-pager] 07700"
              "\r\n[fax] 555 0199\r\n1 High Street\r\nLowtown");
}

TEST(RecordTest, MissingRecordReadsDefaults) {
    TestFolder temp;
    const DictationRecord record(temp.folder(), "absent");
    EXPECT_EQ(record.path(), temp.file("absent.dat"));
    EXPECT_EQ(record.name(), "");
    EXPECT_EQ(record.senderId(), 0);
    EXPECT_EQ(record.date(), 0);
    EXPECT_EQ(record.priority(), "Normal");
    EXPECT_EQ(record.status(kStatusDefaultCurrent), "List");
    EXPECT_EQ(record.address(5), "");
    EXPECT_EQ(senderDetailsText(record), "");
    EXPECT_FALSE(exists(record.path()));
}

TEST(RecordTest, KeysRoundTripAndForeignRecordsRead) {
    TestFolder temp;
    writeBytes(temp.file("r.dat"),
               "[file]\r\nName = Letter to bank\r\nSENDERID=12\r\nnumber=345\r\ndate=1700000000\r\n"
               "priority=High\r\n");
    DictationRecord record(temp.file("r.dat"));
    EXPECT_EQ(record.name(), "Letter to bank");
    EXPECT_EQ(record.senderId(), 12);
    EXPECT_EQ(record.number(), 345);
    EXPECT_EQ(record.date(), 1700000000);
    EXPECT_EQ(record.displayDate(), 1700000000);
    record.setSenderId(-3);
    record.setStatus(kStatusReceived);
    EXPECT_EQ(record.senderId(), -3);
    EXPECT_EQ(record.status(""), "Received");
    EXPECT_EQ(record.priority(), "High");
}

TEST(RecordTest, StringsThatAreNotUtf8AreReadAsWindows1252) {
    TestFolder temp;
    writeBytes(temp.file("old.dat"),
               "[file]\r\nname=Br\xFC""ckenstra\xDF""e\r\nsendername=J\xFCrgen \x80\r\n"
               "address1=Stra\xC3\x9F""e 1\r\n");
    const DictationRecord record(temp.file("old.dat"));
    EXPECT_EQ(record.name(), "Br\xC3\xBC""ckenstra\xC3\x9F""e");
    EXPECT_EQ(record.senderName(), "J\xC3\xBCrgen \xE2\x82\xAC");
    EXPECT_EQ(record.address(1), "Stra\xC3\x9F""e 1");  // valid UTF-8 stays as it is

    // A long UTF-8 value cut inside a character at the read limit stays UTF-8.
    std::string longName;
    while (longName.size() < 300) longName += "\xC3\xBC";  // 2-byte characters
    writeBytes(temp.file("long.dat"), "[file]\nname=xy" + longName + "\n");
    const std::string read = DictationRecord(temp.file("long.dat")).name();
    EXPECT_TRUE(isValidUtf8(read));
    EXPECT_EQ(read, "xy" + longName.substr(0, 256));
}

TEST(RecordTest, NewRecordsArePrivateAndExistingOnesKeepTheirMode) {
    TestFolder temp;
    DictationRecord(temp.folder(), "new").setName("Letter");
    EXPECT_EQ(std::filesystem::status(temp.file("new.dat")).permissions(),
              std::filesystem::perms(0600));
    writeBytes(temp.file("shared.dat"), "[file]\n");
    std::filesystem::permissions(temp.file("shared.dat"), std::filesystem::perms(0644));
    DictationRecord(temp.folder(), "shared").setStatus(kStatusDone);
    EXPECT_EQ(std::filesystem::status(temp.file("shared.dat")).permissions(),
              std::filesystem::perms(0644));
}

TEST(TypingTest, NewTypingIsPrivateAndReplacedTypingKeepsItsMode) {
    TestFolder temp;
    const auto mode = [&](const char* name) {
        return std::filesystem::status(temp.file(name)).permissions();
    };
    ASSERT_TRUE(writeTyping(temp.file("new.txt"), "Dear Sir,"));
    EXPECT_EQ(mode("new.txt"), std::filesystem::perms(0600));
    // A temporary file left by an interrupted save does not pass its mode on.
    writeBytes(temp.file("next.txt.saving"), "half");
    std::filesystem::permissions(temp.file("next.txt.saving"), std::filesystem::perms(0666));
    ASSERT_TRUE(writeTyping(temp.file("next.txt"), "Dear Madam,"));
    EXPECT_EQ(mode("next.txt"), std::filesystem::perms(0600));

    writeBytes(temp.file("shared.txt"), "old");
    std::filesystem::permissions(temp.file("shared.txt"), std::filesystem::perms(0640));
    ASSERT_TRUE(writeTyping(temp.file("shared.txt"), "new"));
    EXPECT_EQ(mode("shared.txt"), std::filesystem::perms(0640));
    EXPECT_EQ(readBytes(temp.file("shared.txt")), "new");
}

TEST(TypingTest, WritesExactBytesAndReadsThemBack) {
    TestFolder temp;
    const std::string path = temp.file("d.txt");
    const std::string text = "Dear Sir,\r\nna\xC3\xAFve \xE2\x82\xAC""5\r\n";
    ASSERT_TRUE(writeTyping(path, text));
    EXPECT_EQ(readBytes(path), text);
    EXPECT_EQ(readTyping(path), text);
    ASSERT_TRUE(writeTyping(path, ""));
    EXPECT_EQ(readBytes(path), "");
    EXPECT_EQ(readTyping(temp.file("missing.txt")), "");
}

TEST(TypingTest, LongTypingIsReadWhole) {
    TestFolder temp;
    std::string text;
    for (int line = 0; text.size() < 200000; ++line) text += "line " + std::to_string(line) + "\r\n";
    writeBytes(temp.file("long.txt"), text);
    EXPECT_EQ(readTyping(temp.file("long.txt")), text);
}

TEST(TypingTest, NonUtf8IsReadAsWindows1252) {
    TestFolder temp;
    writeBytes(temp.file("old.txt"), "caf\xE9 \x80""5 \x93quoted\x94 \x81");
    EXPECT_EQ(readTyping(temp.file("old.txt")),
              "caf\xC3\xA9 \xE2\x82\xAC""5 \xE2\x80\x9Cquoted\xE2\x80\x9D \xC2\x81");
}

TEST(TypingTest, Utf8Validation) {
    EXPECT_TRUE(isValidUtf8("plain"));
    EXPECT_TRUE(isValidUtf8("\xF0\x9F\x98\x80"));
    EXPECT_FALSE(isValidUtf8("\xC0\xAF"));          // overlong
    EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));      // surrogate
    EXPECT_FALSE(isValidUtf8("\xE2\x82"));          // cut short
    EXPECT_FALSE(isValidUtf8("\xF4\x90\x80\x80"));  // beyond U+10FFFF
}

TEST(TypingTest, FailedSaveKeepsTheEarlierCopyAndLeavesNoTemporary) {
    TestFolder temp;
    const std::string path = temp.file("d.txt");
    ASSERT_TRUE(writeTyping(path, "first"));
    EXPECT_FALSE(writeTyping(temp.file("no such folder/d.txt"), "lost"));
    // A typing path that is a folder can't be replaced: the folder stays.
    std::filesystem::create_directories(temp.file("dir.txt"));
    EXPECT_FALSE(writeTyping(temp.file("dir.txt"), "x"));
    EXPECT_EQ(readBytes(path), "first");
    for (const auto& entry : std::filesystem::directory_iterator(temp.folder()))
        EXPECT_EQ(entry.path().filename().string().find(".saving"), std::string::npos);
}

}  // namespace
}  // namespace typix
