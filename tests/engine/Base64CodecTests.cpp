#include "Base64Codec.h"

#include "testsupport/MachineFixture.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

std::string Decode(const std::string& text)
{
    BYTE out[256];
    const std::size_t n = Base64Codec().DecodeText(text.c_str(), out, sizeof(out));
    return std::string(reinterpret_cast<const char*>(out), n);
}

std::string Encode(const std::string& bytes, bool lines)
{
    Base64Codec codec;
    std::vector<char> out = codec.AllocEncodeBuffer(bytes.size());
    const auto* in = reinterpret_cast<const BYTE*>(bytes.data());
    if (lines)
        codec.EncodeBufferLines(in, bytes.size(), out.data());
    else
        codec.EncodeBuffer(in, bytes.size(), out.data());
    return out.data();
}

TEST(Base64Text, GroupsDecodeAsThePaddingSays)
{
    EXPECT_EQ(Decode("QUJD"), "ABC");
    EXPECT_EQ(Decode("QUI="), "AB");
    EXPECT_EQ(Decode("QQ=="), "A");
    EXPECT_EQ(Decode("QU JD"), "ABC");
    EXPECT_EQ(Decode("Q\xC3U\r\nJ\tD"), "ABC") << "bytes of 128 and above are not base64";
    EXPECT_EQ(Decode(""), "");
}

TEST(Base64Text, AnIncompleteLastGroupKeepsTheBytesItHolds)
{
    EXPECT_EQ(Decode("QUJDQQ"), "ABCA");
    EXPECT_EQ(Decode("QUJDQUI"), "ABCAB");
    EXPECT_EQ(Decode("QUJDQ"), "ABC") << "one character holds no byte";
}

TEST(Base64Text, DecodingNeverWritesPastTheOutput)
{
    BYTE out[4] = {0, 0, 0, 0xEE};
    EXPECT_EQ(Base64Codec().DecodeText("QUJDREVG", out, 3), 3u);
    EXPECT_EQ(out[3], 0xEE);
}

TEST(Base64Text, EncodingPadsAndBreaksLinesAfterNineteenGroups)
{
    EXPECT_EQ(Encode("ABC", false), "QUJD");
    EXPECT_EQ(Encode("AB", false), "QUI=");
    EXPECT_EQ(Encode("A", false), "QQ==");
    const std::string line(57, 'x');
    const std::string encoded = Encode(line, true);
    ASSERT_EQ(encoded.size(), 78u);
    EXPECT_EQ(encoded.substr(76), "\r\n");
    EXPECT_EQ(Encode(line + "y", true), encoded + "eQ==");
    EXPECT_EQ(Encode(line, false).size(), 76u);
    EXPECT_EQ(Encode(std::string(56, 'x'), true).find('\r'), std::string::npos) << "no break after a short group";
}

TEST(Base64Text, SizesOfBuffers)
{
    EXPECT_EQ(Base64Codec::EncodedSize(0), 1u);
    EXPECT_EQ(Base64Codec::EncodedSize(57), 79u);
    EXPECT_EQ(Base64Codec::EncodedSize(58), 83u);
    EXPECT_EQ(Base64Codec::DecodedSize("QUJD"), 3u);
    EXPECT_EQ(Base64Codec::DecodedSize("QUI="), 2u);
    EXPECT_EQ(Base64Codec::DecodedSize("QQ=="), 1u);
    EXPECT_EQ(Base64Codec::DecodedSize(""), 0u);
    EXPECT_EQ(Base64Codec::DecodedSize("QQ=A"), 3u) << "a \"=\" counts only at the end";
    EXPECT_EQ(Base64Codec().AllocDecodeBuffer("QUJDQQ==").size(), 4u);
}

TEST(Base64Text, RandomBytesRoundTrip)
{
    std::mt19937 random(7);
    for (std::size_t n = 0; n < 200; ++n) {
        std::string bytes(n, '\0');
        for (char& c : bytes)
            c = static_cast<char>(random());
        const std::string text = Encode(bytes, true);
        std::vector<BYTE> out(n + 3);
        const std::size_t decoded = Base64Codec().DecodeText(text.c_str(), out.data(), out.size());
        ASSERT_EQ(std::string(reinterpret_cast<const char*>(out.data()), decoded), bytes) << n;
    }
}

class Base64Files : public testsupport::MachineFixture {
protected:
    std::string DecodeFile(const std::string& text)
    {
        WriteHostFile(Host(u"C:\\in.txt"), text);
        EXPECT_EQ(Base64Codec().Base64DecodeFile(u"C:\\in.txt", u"C:\\out.bin"), 0);
        return ReadHostFile(Host(u"C:\\out.bin"));
    }
};

TEST_F(Base64Files, LinesOfAnyLengthAndEndDecodeAsOneText)
{
    std::mt19937 random(11);
    std::string bytes(5000, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random());
    const std::string text = Encode(bytes, false);

    // Lines of 76 with CR LF, bare LF, one line of 6,668 characters, and lines
    // whose lengths are not multiples of four.
    std::string crlf, lf, odd;
    for (std::size_t at = 0; at < text.size(); at += 76)
        crlf += text.substr(at, 76) + "\r\n";
    for (std::size_t at = 0; at < text.size(); at += 76)
        lf += text.substr(at, 76) + "\n";
    for (std::size_t at = 0, width = 1; at < text.size(); at += width, width = width % 9 + 1)
        odd += text.substr(at, width) + "\r\n";
    EXPECT_EQ(DecodeFile(crlf), bytes);
    EXPECT_EQ(DecodeFile(lf), bytes);
    EXPECT_EQ(DecodeFile(text), bytes);
    EXPECT_EQ(DecodeFile(odd), bytes);
}

TEST_F(Base64Files, ThreeFullLinesGiveThreeTimesFiftySevenBytes)
{
    const std::string line = Encode(std::string(57, 'q'), true);
    EXPECT_EQ(DecodeFile(line + line + line), std::string(171, 'q'));
}

TEST_F(Base64Files, AMissingSourceCreatesNothingAndAnUnwritableDestinationIsOne)
{
    Base64Codec codec;
    EXPECT_EQ(codec.Base64DecodeFile(u"C:\\missing.txt", u"C:\\out.bin"), 0);
    EXPECT_FALSE(std::filesystem::exists(Host(u"C:\\out.bin")));
    WriteHostFile(Host(u"C:\\in.txt"), "QUJD");
    EXPECT_EQ(codec.Base64DecodeFile(u"C:\\in.txt", u"C:\\no such folder\\out.bin"), 1);
    EXPECT_EQ(codec.Base64EncodeFile(u"C:\\in.txt", u"C:\\no such folder\\out.txt"), 1);
    EXPECT_EQ(codec.Base64EncodeFile(u"C:\\missing.txt", u"C:\\out.txt"), 0);
    EXPECT_FALSE(std::filesystem::exists(Host(u"C:\\out.txt")));
}

TEST_F(Base64Files, EncodingAFileWritesFullLinesAndAShortLastOne)
{
    WriteHostFile(Host(u"C:\\in.bin"), std::string(58, 'z'));
    ASSERT_EQ(Base64Codec().Base64EncodeFile(u"C:\\in.bin", u"C:\\out.txt"), 0);
    const std::string text = ReadHostFile(Host(u"C:\\out.txt"));
    ASSERT_EQ(text.size(), 82u);
    EXPECT_EQ(text.substr(76, 2), "\r\n");
    EXPECT_EQ(text.substr(78), "eg==");
    EXPECT_EQ(DecodeFile(text), std::string(58, 'z'));
}

} // namespace
