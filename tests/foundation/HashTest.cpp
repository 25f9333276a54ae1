#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "foundation/Base64.h"
#include "foundation/Md5.h"

TEST(Md5, Rfc1321TestSuite) {
    struct {
        const char* in;
        const char* digest;
    } cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (auto c : cases) EXPECT_EQ(Md5Hex(c.in), c.digest) << '"' << c.in << '"';
}

TEST(Md5, PiecewiseUpdatesMatchOneShotAcrossBlockBoundaries) {
    std::string data(1000, '\0');
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7 + 3);
    for (size_t split : {1u, 55u, 56u, 63u, 64u, 65u, 127u, 999u}) {
        Md5Context ctx;
        Md5Init(ctx);
        Md5Update(ctx, data.data(), split);
        Md5Update(ctx, data.data() + split, data.size() - split);
        unsigned char digest[16];
        Md5Final(ctx, digest);
        std::string hex = Md5HexDigest(digest);
        EXPECT_EQ(hex, Md5Hex(data)) << split;
        EXPECT_EQ(hex.find_first_not_of("0123456789abcdef"), std::string::npos);
    }
}

TEST(Base64, EncodingTableAndPadding) {
    struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
        {"\xFB\xFF", "+/8="},
    };
    for (auto c : cases) {
        std::unique_ptr<char, decltype(&std::free)> enc(
            Base64Encode(reinterpret_cast<const unsigned char*>(c.in), std::strlen(c.in)),
            &std::free);
        ASSERT_NE(enc, nullptr);
        EXPECT_STREQ(enc.get(), c.out);
        EXPECT_EQ(Base64EncodeString(c.in), c.out);
        EXPECT_EQ(Base64DecodeString(c.out), std::string(c.in));
    }
}

TEST(Base64, DecodeAcceptsMissingPaddingAndTerminatesWithZero) {
    for (const char* text : {"QQ==", "QQ"}) {
        size_t n = 99;
        std::unique_ptr<unsigned char, decltype(&std::free)> dec(
            Base64Decode(std::strlen(text), text, &n), &std::free);
        ASSERT_NE(dec, nullptr);
        EXPECT_EQ(n, 1u) << text;
        EXPECT_EQ(dec.get()[0], 'A');
        EXPECT_EQ(dec.get()[1], 0);
    }
    // A stored password: the result is used as a C string.
    std::string stored = Base64EncodeString("密码pw");
    std::unique_ptr<unsigned char, decltype(&std::free)> dec(
        Base64Decode(stored.size(), stored.c_str()), &std::free);
    EXPECT_STREQ(reinterpret_cast<char*>(dec.get()), "密码pw");
}

TEST(Base64, InvalidTextIsRefusedByTheCheckedDecoder) {
    for (const char* bad : {"Zm9v!A==", "Z", "Zm=v", "Zm9vY"})
        EXPECT_FALSE(Base64DecodeString(bad).has_value()) << bad;
    // The C decoder never fails on content and never reads past the given length.
    std::string text = "Zm9v*mFy";
    size_t n = 0;
    std::unique_ptr<unsigned char, decltype(&std::free)> dec(Base64Decode(4, text.data(), &n),
                                                             &std::free);
    EXPECT_EQ(n, 3u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(dec.get())), "foo");
}
